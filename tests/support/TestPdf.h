// PDF files made by the tests: vector rectangles and words at known places, drawn with
// QPdfWriter, so every test knows what each page holds without sample files.
#pragma once

#include "support/TestFiles.h"
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QString>

#include <vector>

namespace testpdf {

using ::writeFile;

// Positions in points from the page's top-left corner, as the PDF's user space is measured.
struct Box {
    double left, top, width, height;
};

// Page 1: A4, black outlines of kBoxes and the word kWord, nothing in colour.
// Page 2: Letter, the same and a red filled square: a page with colour.
inline const Box kBoxes[] = {{56.7, 85.0, 283.5, 42.5}, {56.7, 170.1, 170.1, 28.3}};
inline const char* const kWord = "Surname";
constexpr double kWordLeft = 60;
constexpr double kWordBaseline = 80;

inline void drawPage(QPainter& painter, double scale, bool colour)
{
    painter.setPen(QPen(Qt::black, 1.0 * scale));
    for (const Box& box : kBoxes)
        painter.drawRect(QRectF(box.left * scale, box.top * scale, box.width * scale, box.height * scale));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(12);
    painter.setFont(font);
    painter.drawText(QPointF(kWordLeft * scale, kWordBaseline * scale), QString::fromLatin1(kWord));
    if (colour)
        painter.fillRect(QRectF(400 * scale, 400 * scale, 50 * scale, 50 * scale), Qt::red);
}

// pages: 1 or 2 of the pages above.
inline QByteArray makePdf(int pages = 2)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(720);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const double scale = 720.0 / 72;
    QPainter painter(&writer);
    drawPage(painter, scale, false);
    if (pages > 1) {
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.newPage();
        drawPage(painter, scale, true);
    }
    painter.end();
    return bytes;
}

// The same PDF encrypted by qpdf: with a user password it cannot even be opened without it.
inline bool writeEncrypted(const QString& plain, const QString& encrypted, const QString& userPassword)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--encrypt"), userPassword, QStringLiteral("owner"),
                                        QStringLiteral("256"), QStringLiteral("--"), plain, encrypted});
    return qpdf.waitForFinished(30000) && qpdf.exitCode() == 0;
}

}  // namespace testpdf
