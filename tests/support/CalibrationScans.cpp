#include "CalibrationScans.h"

#include "print/CalibrationSheet.h"

#include <QPainter>
#include <QPolygonF>

#include <opencv2/imgproc.hpp>

namespace {

QTransform truePrinter(const ScanSetup& s)
{
    const double mmPerPixelX = printerMmPerInch(s.truth.BreitEd) / s.printerDpi;
    const double mmPerPixelY = printerMmPerInch(s.truth.HochEd) / s.printerDpi;
    QTransform keystone;
    if (s.bottomWidthFactor != 1) {
        const double w = s.paper.width;
        const double h = s.paper.height;
        const double grow = w * (s.bottomWidthFactor - 1) / 2;
        const QPolygonF square({{0, 0}, {w, 0}, {w, h}, {0, h}});
        const QPolygonF trapezoid({{0, 0}, {w, 0}, {w + grow, h}, {-grow, h}});
        QTransform::quadToQuad(square, trapezoid, keystone);
    }
    return QTransform::fromScale(mmPerPixelX, mmPerPixelY) * QTransform().rotate(s.printerSkewDegrees) *
           QTransform::fromTranslate(s.truth.LinksEd, s.truth.ObenEd) * keystone;
}

QTransform paperToScan(const ScanSetup& s)
{
    const QTransform turn =
        s.upsideDown ? QTransform(-1, 0, 0, -1, s.paper.width, s.paper.height) : QTransform();
    const double pixelsPerMm = s.scanDpi / 25.4;
    return turn * QTransform().rotate(s.glassSkewDegrees) *
           QTransform::fromTranslate(s.paperOnGlassMm.x(), s.paperOnGlassMm.y()) *
           QTransform::fromScale(pixelsPerMm * s.scannerScaleX, pixelsPerMm * s.scannerScaleY);
}

void drawTextPage(QPainter& painter, const ScanSetup& s)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(4);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (double y = 20; y < s.paper.height - 20; y += 8)
        painter.drawText(QPointF(20, y), QStringLiteral("Dear customer, this is a page of ordinary text. 0123456789"));
    painter.fillRect(QRectF(150, 20, 40, 20), Qt::black);
}

}  // namespace

cv::Mat generatedScan(const ScanSetup& s)
{
    const double pixelsPerMm = s.scanDpi / 25.4;
    const int width = int((s.paper.width + 2 * s.paperOnGlassMm.x()) * pixelsPerMm);
    const int height = int((s.paper.height + 2 * s.paperOnGlassMm.y()) * pixelsPerMm);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(s.content == ScanSetup::Content::NoPaper ? QColor(250, 250, 250) : QColor(35, 35, 35));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QTransform toScan = paperToScan(s);
        if (s.content != ScanSetup::Content::NoPaper) {
            painter.setTransform(toScan);
            painter.fillRect(QRectF(0, 0, s.paper.width, s.paper.height), QColor(242, 242, 242));
        }
        if (s.content == ScanSetup::Content::Sheet) {
            const QTransform nominalToScan =
                paperToDeviceTransform(s.printedWith, s.printerDpi, s.printerDpi) * truePrinter(s) * toScan;
            drawCalibrationSheet(painter, calibrationSheetLayout(s.paper), s.printedWith, nominalToScan);
        } else if (s.content == ScanSetup::Content::TextPage) {
            painter.setTransform(toScan);
            drawTextPage(painter, s);
        }
    }
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    cv::Mat scan(gray.height(), gray.width(), CV_8U);
    for (int y = 0; y < gray.height(); ++y)
        std::copy_n(gray.constScanLine(y), gray.width(), scan.ptr<uint8_t>(y));
    if (s.blurSigmaPx > 0)
        cv::GaussianBlur(scan, scan, {0, 0}, s.blurSigmaPx);
    if (s.noiseSigma > 0) {
        cv::Mat noise(scan.size(), CV_16S);
        cv::RNG(s.seed).fill(noise, cv::RNG::NORMAL, 0, s.noiseSigma);
        cv::Mat noisy;
        scan.convertTo(noisy, CV_16S);
        noisy += noise;
        noisy.convertTo(scan, CV_8U);
    }
    return scan;
}

QImage grayImage(const cv::Mat& gray)
{
    QImage image(gray.cols, gray.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < gray.rows; ++y)
        std::copy_n(gray.ptr<uint8_t>(y), gray.cols, image.scanLine(y));
    return image;
}
