#include "platform/Dc.h"

#include "platform/DcPrivate.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPaintEngine>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
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
    if (!prefixes || !text.contains(u'&')) {
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
    int width = -1;  // known when breaking the lines measured it
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
                // The rest of the paragraph fitting whole is the common case, and one measure;
                // every shorter prefix of it then fits too.
                const int rest = metrics.horizontalAdvance(text.mid(lineStart, end - lineStart));
                if (rest <= width) {
                    lines.push_back({lineStart, end - lineStart, rest});
                    break;
                }
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

// How far the glyphs of a text reach from the pen, in device pixels, from the outlines of the
// glyphs its characters map to. Known only for a plain font (no underline or strike-out, no
// slant or weight the engine makes itself, as its ink then leaves the outlines) and for texts
// of the scripts up to Armenian with no combining marks, where shaping only kerns and joins
// letters whose outlines are the letters' own.
class GlyphReach {
public:
    explicit GlyphReach(const QFont& qfont)
        : raw_(QRawFont::fromFont(qfont))
    {
        const bool synthesised = (qfont.bold() && raw_.weight() < QFont::DemiBold) ||
                                 (qfont.italic() && raw_.style() == QFont::StyleNormal);
        usable_ = raw_.isValid() && !qfont.underline() && !qfont.strikeOut() && !synthesised;
        slack_ = raw_.pixelSize() / 4;
    }

    // The ink of the text drawn from a pen at (0, 0) on the baseline, with two pixels around it
    // for the outlines' hinting; null when it cannot be told, empty when the text leaves no ink.
    // Kerning moves glyphs against the outlines' advances: a measured width (from the shaped
    // text; -1 when not measured) bounds where the last glyph ends, and an unmeasured line keeps
    // a quarter of an em of room for it.
    std::optional<QRectF> inkOf(const QString& text, int width)
    {
        if (!usable_)
            return std::nullopt;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u >= 0x590 || (u >= 0x300 && u < 0x370))
                return std::nullopt;
        }
        QRectF ink;
        double pen = 0;
        // The most any glyph reaches past its own advance.
        double overhang = -std::numeric_limits<double>::infinity();
        for (const quint32 glyph : raw_.glyphIndexesForString(text)) {
            if (glyph == 0)  // a character the font lacks comes from another font
                return std::nullopt;
            const Extent& e = extentOf(glyph);
            ink = ink.united(e.box.translated(pen, 0));
            overhang = std::max(overhang, e.box.right() - e.advance);
            pen += e.advance;
        }
        if (ink.isNull())  // spaces only: nothing to clip
            return QRectF();
        const double end = width >= 0 ? std::max(ink.right(), width + overhang) : ink.right() + slack_;
        constexpr double kMargin = 2;
        return QRectF(QPointF(ink.left() - kMargin, ink.top() - kMargin),
                      QPointF(end + kMargin, ink.bottom() + kMargin));
    }

private:
    struct Extent {
        QRectF box;
        double advance = 0;
    };
    const Extent& extentOf(quint32 glyph)
    {
        auto found = extents_.find(glyph);
        if (found == extents_.end()) {
            const QList<QPointF> advance = raw_.advancesForGlyphIndexes(QList<quint32>{glyph});
            const double width = advance.isEmpty() ? 0.0 : advance[0].x();
            found = extents_.emplace(glyph, Extent{raw_.boundingRect(glyph), width}).first;
        }
        return found->second;
    }

    QRawFont raw_;
    bool usable_ = false;
    double slack_ = 0;
    std::unordered_map<quint32, Extent> extents_;
};

// One line of a DrawText as it lands: its text, where it starts and its width (-1 when the line
// is drawn from its left edge and nothing asked for the width).
struct PlacedLine {
    QString text;
    int start = 0;
    int x = 0;
    int y = 0;
    int width = -1;
};

// True when the ink of every line lies inside the rectangle, so that a clip to it would leave
// every mark as it is. The outlines' advances stand in for a left-aligned line's unmeasured width.
bool inkInside(GlyphReach& reach, const std::vector<PlacedLine>& lines, int ascent, const DcRect& rect)
{
    const QRectF inside(rect.left, rect.top, rect.width(), rect.height());
    for (const PlacedLine& line : lines) {
        const std::optional<QRectF> ink = reach.inkOf(line.text, line.width);
        if (!ink || (!ink->isNull() && !inside.contains(ink->translated(line.x, line.y + ascent))))
            return false;
    }
    return true;
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
        std::optional<GlyphReach> reach;
    };
    thread_local LastFont last;
    const int dpiY = pixelsPerInchY();
    if (!last.metrics || !(last.font == font_) || last.dpiY != dpiY || last.deviceDpiY != device->logicalDpiY()) {
        last.font = font_;
        last.dpiY = dpiY;
        last.deviceDpiY = device->logicalDpiY();
        last.qfont = qFontFor(font_, device, dpiY);
        last.metrics.emplace(last.qfont, device);
        last.reach.reset();
    }
    const QFont qfont = last.qfont;
    const QFontMetrics metrics = *last.metrics;
    const PrefixedText shown = resolvePrefixes(text, !(format & DT_NOPREFIX));
    const std::vector<TextLine> lines = breakLines(shown.text, metrics, rect.width(), format & DT_WORDBREAK);
    // Each call of ascent() asks the font engine again; a page of fields asks it often.
    const int ascent = metrics.ascent();
    const int lineHeight = ascent + metrics.descent();
    const int total = int(lines.size()) * lineHeight;

    QPainter* p = beginDrawing();
    if (!p || rect.right <= rect.left || rect.bottom <= rect.top)
        return total;
    // Measuring shapes the line a second time; a left-aligned line on no background needs no width.
    const bool measured = (format & (DT_CENTER | DT_RIGHT)) || bkMode_ == OPAQUE;
    std::vector<PlacedLine> placed;
    for (int y = rect.top; y < rect.bottom && placed.size() < lines.size(); y += lineHeight) {
        const TextLine& line = lines[placed.size()];
        PlacedLine& part =
            placed.emplace_back(PlacedLine{shown.text.mid(line.start, line.length), line.start, rect.left, y});
        if (measured)
            part.width = line.width >= 0 ? line.width : metrics.horizontalAdvance(part.text);
        if (format & DT_CENTER)
            part.x = rect.left + (rect.width() - part.width) / 2;
        else if (format & DT_RIGHT)
            part.x = rect.right - part.width;
    }
    // A page in a vector format keeps every clip it is given, and setting one for each text
    // costs the page its bytes and the writer its time: a text whose ink stays well inside its
    // rectangle is drawn without. Pixels on the screen and in page images are clipped always.
    const bool vector = p->paintEngine() && p->paintEngine()->type() == QPaintEngine::Pdf;
    const bool mayGoUnclipped = vector && !clip_ && bkMode_ != OPAQUE && shown.underlined.empty();
    if (mayGoUnclipped && !last.reach)
        last.reach.emplace(qfont);
    if (!(mayGoUnclipped && inkInside(*last.reach, placed, ascent, rect))) {
        p->setClipRect(QRect(rect.left, rect.top, rect.width(), rect.height()),
                       clip_ ? Qt::IntersectClip : Qt::ReplaceClip);
        clipOnPainter_ = false;
    }
    p->setFont(qfont);
    const QColor ink = toQColor(textColor_);
    p->setPen(ink);
    for (const PlacedLine& line : placed) {
        if (bkMode_ == OPAQUE)
            p->fillRect(QRect(line.x, line.y, line.width, lineHeight), toQColor(bkColor_));
        p->drawText(QPoint(line.x, line.y + ascent), line.text);
        for (int index : shown.underlined) {
            if (index < line.start || index >= line.start + int(line.text.size()))
                continue;
            const int from = line.x + metrics.horizontalAdvance(line.text.left(index - line.start));
            const int to = line.x + metrics.horizontalAdvance(line.text.left(index - line.start + 1));
            const int thickness = std::max(1, metrics.lineWidth());
            const int under = line.y + ascent + std::max(1, metrics.underlinePos());
            p->fillRect(QRect(from, under, std::max(1, to - from), thickness), ink);
        }
    }
    return total;
}
