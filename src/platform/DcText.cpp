#include "platform/Dc.h"

#include "platform/DcPrivate.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

QFont qFontFor(const DcFont& font, QPaintDevice* device, int dpiY)
{
    QFont qfont(font.faceName);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikeOut);
    if (font.pitch == 2) {
        qfont.setFixedPitch(true);
        qfont.setStyleHint(QFont::TypeWriter);
    }
    int32_t cellHeight = font.height;
    if (cellHeight == 0)
        cellHeight = std::max(1, 16 * dpiY / 96);
    if (cellHeight < 0) {
        qfont.setPixelSize(std::max(1, -cellHeight));
    } else {
        qfont.setPixelSize(std::max(1, cellHeight));
        const QFontMetrics metrics(qfont, device);
        const int cell = metrics.ascent() + metrics.descent();
        if (cell > 0 && cell != cellHeight)
            qfont.setPixelSize(std::max(1, int(std::lround(double(cellHeight) * cellHeight / cell))));
    }
    return qfont;
}

// Text with its prefix ampersands resolved, and the positions of the underlined characters.
struct PrefixedText {
    QString text;
    std::vector<int> underlined;
};

PrefixedText resolvePrefixes(const QString& text, bool prefixes)
{
    PrefixedText result;
    if (!prefixes) {
        result.text = text;
        return result;
    }
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&')
                result.underlined.push_back(int(result.text.size()));
        }
        result.text.append(text[i]);
    }
    return result;
}

struct TextLine {
    int start = 0;
    int length = 0;
};

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }

std::vector<TextLine> breakLines(const QString& text, const QFontMetrics& metrics, int width, bool wordBreak)
{
    std::vector<TextLine> lines;
    int pos = 0;
    const int size = int(text.size());
    while (true) {
        int end = pos;
        while (end < size && !isLineBreak(text[end]))
            ++end;
        if (!wordBreak) {
            lines.push_back({pos, end - pos});
        } else {
            int lineStart = pos;
            while (true) {
                // Grow the line word by word while it fits; a word wider than the line stands alone.
                int lineEnd = lineStart;
                int scan = lineStart;
                while (scan < end) {
                    int wordEnd = scan;
                    while (wordEnd < end && text[wordEnd] == u' ')
                        ++wordEnd;
                    while (wordEnd < end && text[wordEnd] != u' ')
                        ++wordEnd;
                    const int w = metrics.horizontalAdvance(text.mid(lineStart, wordEnd - lineStart));
                    if (w > width && lineEnd > lineStart)
                        break;
                    lineEnd = wordEnd;
                    scan = wordEnd;
                }
                if (lineEnd == lineStart)
                    lineEnd = end;
                lines.push_back({lineStart, lineEnd - lineStart});
                int next = lineEnd;
                while (next < end && text[next] == u' ')
                    ++next;
                if (next >= end)
                    break;
                lineStart = next;
            }
        }
        if (end >= size)
            break;
        pos = end + ((text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n') ? 2 : 1);
    }
    return lines;
}

}  // namespace

DcSize Dc::GetTextExtentPoint32(const QString& text)
{
    QPaintDevice* device = metricsDevice();
    const QFont qfont = qFontFor(font_, device, pixelsPerInchY());
    const QFontMetrics metrics(qfont, device);
    return DcSize{metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent()};
}

int Dc::DrawText(const QString& text, const DcRect& rect, unsigned format)
{
    QPaintDevice* device = metricsDevice();
    // A page of fields draws most texts in one font: the font and its metrics are made once
    // for it, per thread, as pages may be drawn on several threads at once.
    struct LastFont {
        DcFont font;
        int dpiY = 0;
        int deviceDpiY = 0;
        QFont qfont;
        std::optional<QFontMetrics> metrics;
    };
    thread_local LastFont last;
    const int dpiY = pixelsPerInchY();
    if (!last.metrics || !(last.font == font_) || last.dpiY != dpiY || last.deviceDpiY != device->logicalDpiY()) {
        last.font = font_;
        last.dpiY = dpiY;
        last.deviceDpiY = device->logicalDpiY();
        last.qfont = qFontFor(font_, device, dpiY);
        last.metrics.emplace(last.qfont, device);
    }
    const QFont qfont = last.qfont;
    const QFontMetrics metrics = *last.metrics;
    const PrefixedText shown = resolvePrefixes(text, !(format & DT_NOPREFIX));
    const std::vector<TextLine> lines = breakLines(shown.text, metrics, rect.width(), format & DT_WORDBREAK);
    const int lineHeight = metrics.ascent() + metrics.descent();
    const int total = int(lines.size()) * lineHeight;

    QPainter* p = beginDrawing();
    if (!p || rect.right <= rect.left || rect.bottom <= rect.top)
        return total;
    p->setClipRect(QRect(rect.left, rect.top, rect.width(), rect.height()), clip_ ? Qt::IntersectClip : Qt::ReplaceClip);
    clipOnPainter_ = false;
    p->setFont(qfont);
    const QColor ink = toQColor(textColor_);
    int y = rect.top;
    for (const TextLine& line : lines) {
        if (y >= rect.bottom)
            break;
        const QString part = shown.text.mid(line.start, line.length);
        // Measuring shapes the line a second time; a left-aligned line on no background needs no width.
        const bool measured = (format & (DT_CENTER | DT_RIGHT)) || bkMode_ == OPAQUE;
        const int width = measured ? metrics.horizontalAdvance(part) : 0;
        int x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + (rect.width() - width) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - width;
        if (bkMode_ == OPAQUE)
            p->fillRect(QRect(x, y, width, lineHeight), toQColor(bkColor_));
        p->setPen(ink);
        p->drawText(QPoint(x, y + metrics.ascent()), part);
        for (int index : shown.underlined) {
            if (index < line.start || index >= line.start + line.length)
                continue;
            const int from = x + metrics.horizontalAdvance(part.left(index - line.start));
            const int to = x + metrics.horizontalAdvance(part.left(index - line.start + 1));
            const int thickness = std::max(1, metrics.lineWidth());
            const int under = y + metrics.ascent() + std::max(1, metrics.underlinePos());
            p->fillRect(QRect(from, under, std::max(1, to - from), thickness), ink);
        }
        y += lineHeight;
    }
    return total;
}
