#include "print/CalibrationSheet.h"

#include "platform/Printer.h"

#include <QPainter>

QTransform paperToDeviceTransform(const Calibration& c, int dpiX, int dpiY)
{
    const double scaleX = dpiX / printerMmPerInch(c.BreitEd);
    const double scaleY = dpiY / printerMmPerInch(c.HochEd);
    return QTransform(scaleX, 0, 0, scaleY, -c.LinksEd * scaleX, -c.ObenEd * scaleY);
}

void drawCalibrationSheet(QPainter& painter, const CalibrationSheetLayout& layout, const Calibration& printedWith,
                          const QTransform& paperToDevice)
{
    painter.save();
    // The marks' centres are measured to a fraction of a device pixel; smoothed edges keep a
    // mark's centre where the layout put it instead of on the nearest pixel.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(paperToDevice);
    painter.setPen(Qt::NoPen);
    for (const SheetMark& mark : layout.marks)
        painter.fillRect(QRectF(mark.x - mark.side / 2, mark.y - mark.side / 2, mark.side, mark.side), Qt::black);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(4);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRectF textBox(40, layout.paper.height / 2 - 30, layout.paper.width - 80, 60);
    const QString text =
        QStringLiteral("Velmora calibration sheet\n\nPrinted with: left %1 mm, top %2 mm, width %3 mm, height %4 mm\n\n"
                       "Scan the whole sheet with its edges on a dark background, then open the scan with "
                       "\"Measure from a scan...\".")
            .arg(printedWith.LinksEd, 0, 'f', 2)
            .arg(printedWith.ObenEd, 0, 'f', 2)
            .arg(printedWith.BreitEd, 0, 'f', 2)
            .arg(printedWith.HochEd, 0, 'f', 2);
    painter.drawText(textBox, Qt::AlignCenter | Qt::TextWordWrap, text);
    painter.restore();
}

PaperSize printerPaper(Printer& printer)
{
    const QSizeF size = printer.paperSizeMm();
    return {std::min(size.width(), size.height()), std::max(size.width(), size.height())};
}

bool printCalibrationSheet(Printer& printer, const Calibration& calibration)
{
    const PageOrientation orientation = printer.orientation();
    printer.setOrientation(PageOrientation::Portrait);
    printer.setTitle(QStringLiteral("Velmora calibration sheet"));
    printer.dc().SetMapMode(MM_TEXT);
    bool printed = printer.BeginDoc();
    if (printed) {
        QPainter* painter = printer.dc().painter();
        if (painter)
            drawCalibrationSheet(*painter, calibrationSheetLayout(printerPaper(printer)), calibration,
                                 paperToDeviceTransform(calibration, printer.dpiX(), printer.dpiY()));
        printed = printer.EndDoc() && painter;
    }
    printer.setOrientation(orientation);
    return printed;
}
