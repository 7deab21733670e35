#include "vision/FieldDetection.h"

#include "vision/LabelReader.h"
#include "vision/WorkPicture.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace {

// Sizes on the paper, millimetres.
constexpr double kHorizontalStrokeMm = 3.5;  // shortest printed line taken for a ruling
constexpr double kVerticalStrokeMm = 3.2;
constexpr double kMinBoxMm = 3;
constexpr double kMinUnderlineMm = 12;
constexpr double kUnderlineFieldMm = 6;      // an underline's field reaches this high above it
constexpr double kFlatLineMm = 2;            // a ruling no taller than this is a lone line
constexpr double kFlatDotsMm = 1;            // a dotted line no taller (words are)
constexpr double kDotGapMm = 1.5;            // the marks of a dotted line stand this close
constexpr double kLineBreakMm = 3;           // a break this short leaves a line one line
constexpr double kDottedPieceMm = 6;         // the shortest piece of a dotted line looked at
constexpr double kRulingMm = 5;              // shorter strokes may be parts of letters
constexpr double kNeighbourGapMm = 2.5;      // cells sharing a ruling lie this close
constexpr double kLabelGapLeftMm = 60;
constexpr double kLabelGapAboveMm = 12;
constexpr double kCellLabelGapAboveMm = 120;
constexpr double kTickBoxMm = 8;       // a tick box is no larger
constexpr double kTickLabelGapMm = 4;  // its label after it stands this close
constexpr double kSpeckMm = 2.5;       // a phrase this small names only a field
constexpr double kSpeckReachMm = 5;    // this close to it
// Holes beyond this many are not looked at: a form has far fewer, noise has many.
constexpr size_t kMaxHoles = 4000;
constexpr size_t kMaxLabels = 400;

struct WorkRect {
    int left, top, right, bottom;  // inclusive, working pixels
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

WorkRect fromCv(const cv::Rect& r) { return {r.x, r.y, r.x + r.width - 1, r.y + r.height - 1}; }
cv::Rect toCv(const WorkRect& r) { return {r.left, r.top, r.width(), r.height()}; }

int verticalOverlap(const WorkRect& a, const WorkRect& b)
{
    return std::min(a.bottom, b.bottom) - std::max(a.top, b.top) + 1;
}
int horizontalOverlap(const WorkRect& a, const WorkRect& b)
{
    return std::min(a.right, b.right) - std::max(a.left, b.left) + 1;
}

struct Candidate {
    WorkRect rect;
    ProposalKind kind;
    int cells = 0;
    double confidence = 0;
    int label = -1;  // index into the phrases
};

struct Page {
    double perMm;  // working pixels per millimetre
    cv::Mat horizontal, vertical, lines;
    cv::Mat rulings;  // the lines that are longer than any letter's stroke
    cv::Mat dotted;   // dotted and dashed lines, joined into lines
    cv::Mat text;     // the rest of the ink: the printed words
    int px(double mm) const { return std::max(1, int(std::lround(mm * perMm))); }
};

cv::Mat openedAlong(const cv::Mat& ink, cv::Size kernel)
{
    cv::Mat opened;
    cv::morphologyEx(ink, opened, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_RECT, kernel));
    return opened;
}

// The bounding box of connected component i, from connectedComponentsWithStats.
cv::Rect componentBounds(const cv::Mat& stats, int i)
{
    return {stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
            stats.at<int>(i, cv::CC_STAT_HEIGHT)};
}

// The pixels of the connected components marked to keep.
cv::Mat keptComponents(const cv::Mat& labels, const std::vector<uint8_t>& keep)
{
    cv::Mat kept = cv::Mat::zeros(labels.size(), CV_8U);
    for (int y = 0; y < labels.rows; ++y) {
        const int* label = labels.ptr<int>(y);
        uint8_t* out = kept.ptr<uint8_t>(y);
        for (int x = 0; x < labels.cols; ++x)
            out[x] = keep[size_t(label[x])] ? 255 : 0;
    }
    return kept;
}

// Whether the marks across a band (its columns inked over a third of its height) follow at an
// even pitch, as printed dots and dashes do and specks of noise do not: hardly a gap or a mark
// more than twice the usual.
bool evenlySpaced(const cv::Mat& band)
{
    std::vector<int> marks, gaps;
    int run = 0;
    bool inMark = false;
    const int least = std::max(1, band.rows / 3);
    for (int x = 0; x < band.cols; ++x) {
        const bool inked = cv::countNonZero(band.col(x)) >= least;
        if (x > 0 && inked != inMark) {
            (inMark ? marks : gaps).push_back(run);
            run = 0;
        }
        inMark = inked;
        ++run;
    }
    (inMark ? marks : gaps).push_back(run);
    if (marks.size() < 5 || gaps.empty())
        return false;
    const auto even = [](std::vector<int> runs) {
        std::nth_element(runs.begin(), runs.begin() + long(runs.size() / 2), runs.end());
        const int usual = runs[runs.size() / 2];
        const auto odd = std::count_if(runs.begin(), runs.end(), [&](int run) { return run > 2 * usual + 1; });
        return 10 * odd <= long(runs.size());
    };
    return even(marks) && even(gaps);
}

// Rows of small marks close together on one line, as a form prints them to write on after a
// label ("Name ............"), joined into lines. A line of words joins as well, but the letters
// reach above and below the rows that join; the marks of a dotted line stand alone.
cv::Mat dottedLinesOf(const cv::Mat& text, const Page& page)
{
    cv::Mat joined;
    // Three rows high: the marks of a scanned line stand a pixel higher or lower.
    cv::morphologyEx(text, joined, cv::MORPH_CLOSE,
                     cv::getStructuringElement(cv::MORPH_RECT, {page.px(kDotGapMm) | 1, 3}));
    // Short pieces too: where a scan turned some of the dots into a ruling, the dots between are
    // joined to it later (joinedLines).
    const cv::Mat rows = openedAlong(joined, {page.px(kDottedPieceMm), 1});
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(rows, labels, stats, centroids, 8, CV_32S);
    cv::Mat dotted = cv::Mat::zeros(text.size(), CV_8U);
    const cv::Rect all(0, 0, text.cols, text.rows);
    const int tallest = page.px(kFlatDotsMm);
    const int clear = page.px(0.6);
    for (int i = 1; i < count; ++i) {
        const cv::Rect r = componentBounds(stats, i);
        if (r.height < 2 || r.height > tallest || !evenlySpaced(text(r)))
            continue;
        // Marks along the whole line, not a few specks that the joining strung together.
        if (cv::countNonZero(text(r)) < 0.25 * r.area())
            continue;
        // The marks reach over the rows that joined (round dots, a blurred scan), but not as far
        // as letters do.
        const auto inkedRow = [&](int y) {
            return y >= 0 && y < text.rows && cv::countNonZero(text(cv::Rect(r.x, y, r.width, 1))) >= 0.05 * r.width;
        };
        int top = r.y, bottom = r.y + r.height - 1;
        while (inkedRow(top - 1) && bottom - top < tallest)
            --top;
        while (inkedRow(bottom + 1) && bottom - top < tallest)
            ++bottom;
        if (bottom - top + 1 > tallest)
            continue;
        const auto blank = [&](const cv::Rect& strip) {
            return strip.empty() || cv::countNonZero(text(strip)) <= 0.03 * strip.area();
        };
        if (!blank(cv::Rect(r.x, top - clear, r.width, clear) & all) ||
            !blank(cv::Rect(r.x, bottom + 1, r.width, clear) & all))
            continue;
        dotted(cv::Rect(r.x, top, r.width, bottom - top + 1)).setTo(255);
    }
    return dotted;
}

Page rulingsOf(const cv::Mat& ink, double perMm)
{
    Page page{perMm, {}, {}, {}, {}, {}, {}};
    page.horizontal = openedAlong(ink, {page.px(kHorizontalStrokeMm), 1});
    page.vertical = openedAlong(ink, {1, page.px(kVerticalStrokeMm)});
    cv::bitwise_or(page.horizontal, page.vertical, page.lines);
    // Corners where a blurred or broken ruling leaves a gap of a pixel or two.
    cv::morphologyEx(page.lines, page.lines, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, {3, 3}));
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(page.lines, labels, stats, centroids, 8, CV_32S);
    std::vector<uint8_t> keep(size_t(count), 0);
    const int ruling = page.px(kRulingMm);
    for (int i = 1; i < count; ++i)
        keep[size_t(i)] = stats.at<int>(i, cv::CC_STAT_WIDTH) >= ruling || stats.at<int>(i, cv::CC_STAT_HEIGHT) >= ruling;
    page.rulings = keptComponents(labels, keep);
    cv::Mat nearLines;
    cv::dilate(page.rulings, nearLines, cv::getStructuringElement(cv::MORPH_RECT, {5, 5}));
    cv::bitwise_and(ink, ~nearLines, page.text);
    page.dotted = dottedLinesOf(page.text, page);
    cv::Mat nearDots;
    cv::dilate(page.dotted, nearDots, cv::getStructuringElement(cv::MORPH_RECT, {5, 5}));
    page.text.setTo(0, nearDots);
    return page;
}

// How thick the rulings around a hole are: the thinnest of its four sides, measured outwards
// from the middle of each.
int outlineThickness(const cv::Mat& lines, const WorkRect& hole)
{
    const int midX = (hole.left + hole.right) / 2;
    const int midY = (hole.top + hole.bottom) / 2;
    const auto run = [&](int x, int y, int dx, int dy) {
        int n = 0;
        for (; x >= 0 && y >= 0 && x < lines.cols && y < lines.rows && lines.at<uint8_t>(y, x); x += dx, y += dy)
            ++n;
        return n;
    };
    return std::min({run(hole.left - 1, midY, -1, 0), run(hole.right + 1, midY, 1, 0), run(midX, hole.top - 1, 0, -1),
                     run(midX, hole.bottom + 1, 0, 1)});
}

// The bounds of the printed words in a box's core, without the short strokes that stand on its
// bottom ruling, one per character, as account-number boxes carry them.
cv::Rect wordsWithoutTicks(const cv::Mat& coreText, const Page& page)
{
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(coreText, labels, stats, centroids, 8, CV_32S);
    const int thin = page.px(0.8);
    const int nearBottom = coreText.rows - page.px(0.5) - 1;
    cv::Rect words;
    for (int i = 1; i < count; ++i) {
        const cv::Rect r = componentBounds(stats, i);
        const bool tick = r.width <= thin && r.y + r.height >= nearBottom && r.height < coreText.rows / 2;
        if (!tick)
            words = words.empty() ? r : (words | r);
    }
    return words;
}

// The empty rectangles that rulings close in, with the text they hold.
std::vector<Candidate> enclosedRectangles(const Page& page)
{
    std::vector<std::vector<cv::Point>> contours;
    std::vector<cv::Vec4i> hierarchy;
    cv::findContours(page.lines.clone(), contours, hierarchy, cv::RETR_CCOMP, cv::CHAIN_APPROX_SIMPLE);
    std::vector<Candidate> holes;
    const int minSide = page.px(kMinBoxMm);
    const int cols = page.lines.cols;
    const int rows = page.lines.rows;
    for (size_t i = 0; i < contours.size() && holes.size() < kMaxHoles; ++i) {
        if (hierarchy[i][3] < 0)
            continue;
        const cv::Rect bounds = cv::boundingRect(contours[i]);
        // The hole's contour runs on the rulings' inner pixels.
        const WorkRect inner{bounds.x + 1, bounds.y + 1, bounds.x + bounds.width - 2, bounds.y + bounds.height - 2};
        if (inner.width() < minSide || inner.height() < minSide)
            continue;
        if (double(inner.width()) * inner.height() > 0.5 * double(cols) * rows)
            continue;
        const double fill = cv::contourArea(contours[i]) / (double(bounds.width) * bounds.height);
        if (fill < 0.85)
            continue;
        // The bowl of a bold letter in a square typeface (a title's P or R) closes in a rectangle
        // too, but its strokes are thick for the hole they make; a printed box's rulings are thin.
        if (outlineThickness(page.lines, inner) >= std::max(page.px(0.7), int(0.2 * std::min(inner.width(), inner.height()))))
            continue;
        const WorkRect core{inner.left + 2, inner.top + 2, inner.right - 2, inner.bottom - 2};
        const double coreArea = double(core.width()) * core.height();
        // A frame around other boxes or a region of noise has rulings inside.
        if (cv::countNonZero(page.lines(toCv(core))) > 0.02 * coreArea)
            continue;
        // A cell whose printed words reach into its lower half is a heading, not a field; a
        // caption in its upper part leaves room to write below and leaves it a field.
        const auto isHeading = [&](const cv::Rect& words) {
            const int bottom = words.y + words.height + 2;  // from the inner top
            return words.height >= 0.25 * inner.height() && words.width >= page.px(1.5) &&
                   bottom > inner.height() / 2;
        };
        // The words without ticks lie within all the ink, so only a box whose ink makes a heading
        // needs its ticks told apart.
        const cv::Mat coreText = page.text(toCv(core));
        if (isHeading(cv::boundingRect(coreText)) && isHeading(wordsWithoutTicks(coreText, page)))
            continue;
        holes.push_back({inner, ProposalKind::Box, 0, std::clamp((fill - 0.85) / 0.15, 0.0, 1.0) * 0.3 + 0.7});
    }
    return holes;
}

// Holes sharing rulings: rows of character boxes become one field, the rest table cells.
std::vector<Candidate> groupCells(std::vector<Candidate> holes, const Page& page)
{
    const int gap = page.px(kNeighbourGapMm);
    const int tolerance = page.px(1);
    const size_t n = holes.size();
    std::vector<int> rightOf(n, -1);
    std::vector<bool> hasLeft(n, false), hasVertical(n, false), hasAny(n, false);
    std::sort(holes.begin(), holes.end(), [](const Candidate& a, const Candidate& b) {
        return a.rect.left != b.rect.left ? a.rect.left < b.rect.left : a.rect.top < b.rect.top;
    });
    for (size_t i = 0; i < n; ++i) {
        const WorkRect& a = holes[i].rect;
        for (size_t j = i + 1; j < n; ++j) {
            const WorkRect& b = holes[j].rect;
            if (b.left > a.right + gap)
                break;
            const bool sideBySide = b.left > a.right && b.left - a.right <= gap &&
                                    std::abs(a.top - b.top) <= tolerance && std::abs(a.bottom - b.bottom) <= tolerance;
            if (sideBySide && rightOf[i] < 0) {
                rightOf[i] = int(j);
                hasLeft[j] = true;
            }
            if (sideBySide)
                hasAny[i] = hasAny[j] = true;
        }
        for (size_t j = 0; j < n; ++j) {
            const WorkRect& b = holes[j].rect;
            const bool stacked = b.top > a.bottom && b.top - a.bottom <= gap &&
                                 horizontalOverlap(a, b) >= 0.5 * std::min(a.width(), b.width());
            if (stacked)
                hasVertical[i] = hasVertical[j] = hasAny[i] = hasAny[j] = true;
        }
    }
    std::vector<Candidate> grouped;
    std::vector<bool> used(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (used[i] || hasLeft[i] || rightOf[i] < 0)
            continue;
        std::vector<size_t> chain{i};
        for (int k = rightOf[i]; k >= 0; k = rightOf[size_t(k)])
            chain.push_back(size_t(k));
        std::vector<int> widths;
        for (const size_t k : chain)
            widths.push_back(holes[k].rect.width());
        std::nth_element(widths.begin(), widths.begin() + long(widths.size() / 2), widths.end());
        const int median = widths[widths.size() / 2];
        const bool comb = chain.size() >= 3 && std::all_of(chain.begin(), chain.end(), [&](size_t k) {
            const WorkRect& r = holes[k].rect;
            return !hasVertical[k] && r.width() <= 1.5 * r.height() && std::abs(r.width() - median) <= 0.25 * median;
        });
        if (!comb)
            continue;
        Candidate row = holes[chain.front()];
        row.rect.right = holes[chain.back()].rect.right;
        for (const size_t k : chain) {
            used[k] = true;
            row.rect.top = std::min(row.rect.top, holes[k].rect.top);
            row.rect.bottom = std::max(row.rect.bottom, holes[k].rect.bottom);
        }
        row.kind = ProposalKind::Comb;
        row.cells = int(chain.size());
        grouped.push_back(row);
    }
    for (size_t i = 0; i < n; ++i) {
        if (used[i])
            continue;
        if (hasAny[i])
            holes[i].kind = ProposalKind::Cell;
        grouped.push_back(holes[i]);
    }
    return grouped;
}

// The flat pieces of a mask's lines, no taller than flat.
std::vector<WorkRect> flatPieces(const cv::Mat& lines, int flat)
{
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(lines, labels, stats, centroids, 8, CV_32S);
    std::vector<WorkRect> pieces;
    for (int i = 1; i < count; ++i) {
        const cv::Rect r = componentBounds(stats, i);
        if (r.height <= flat)
            pieces.push_back(fromCv(r));
    }
    return pieces;
}

// Pieces on one line with short breaks between them joined: a scan breaks a thin line, and a
// dotted line may come out partly as ruling, partly as dots.
std::vector<WorkRect> joinedLines(std::vector<WorkRect> pieces, const Page& page)
{
    std::sort(pieces.begin(), pieces.end(), [](const WorkRect& a, const WorkRect& b) { return a.left < b.left; });
    const int gap = page.px(kLineBreakMm);
    const int level = page.px(0.5);
    std::vector<WorkRect> lines;
    std::vector<bool> taken(pieces.size(), false);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (taken[i])
            continue;
        WorkRect line = pieces[i];
        for (size_t j = i + 1; j < pieces.size() && pieces[j].left <= line.right + gap; ++j) {
            const WorkRect& p = pieces[j];
            if (taken[j] || std::abs(p.bottom - line.bottom) > level || p.right <= line.right)
                continue;
            line.right = p.right;
            line.top = std::min(line.top, p.top);
            line.bottom = std::max(line.bottom, p.bottom);
            taken[j] = true;
        }
        lines.push_back(line);
    }
    return lines;
}

// Lone horizontal lines, ruled or dotted, with printed words just before them. What is left of a
// line found among the words (dots the scan kept apart) is taken out, so that it joins no label.
std::vector<Candidate> underlines(Page& page)
{
    std::vector<WorkRect> pieces = flatPieces(page.lines, page.px(kFlatLineMm));
    for (const WorkRect& dots : flatPieces(page.dotted, page.px(kFlatDotsMm)))
        pieces.push_back(dots);
    std::vector<Candidate> found;
    const int minLength = page.px(kMinUnderlineMm);
    const int fieldHeight = page.px(kUnderlineFieldMm);
    const int margin = page.px(0.3);
    for (const WorkRect& line : joinedLines(std::move(pieces), page)) {
        if (found.size() >= kMaxHoles)
            break;
        const int x = line.left, y = line.top, w = line.width(), h = line.height();
        if (w < minLength || w > 0.9 * page.lines.cols)
            continue;
        // The label ends a few millimetres before the line and sits on it.
        const int labelLeft = std::max(0, x - page.px(8));
        const int labelTop = std::max(0, y - fieldHeight);
        const cv::Rect labelZone(labelLeft, labelTop, x - labelLeft, y + h - labelTop);
        if (labelZone.width <= 0 || labelZone.height <= 0 ||
            cv::countNonZero(page.text(labelZone)) < std::max(4.0, 0.2 * page.perMm * page.perMm))
            continue;
        WorkRect field{x, std::max(0, y - fieldHeight), x + w - 1, y - 1};
        // A ruling above within reach bounds the field.
        for (int row = y - 2; row >= field.top; --row) {
            if (cv::countNonZero(page.horizontal(cv::Rect(x, row, w, 1))) > w / 2) {
                field.top = row + 1;
                break;
            }
        }
        if (field.height() < page.px(kMinBoxMm))
            continue;
        found.push_back({field, ProposalKind::Underline, 0, 0.7});
        const cv::Rect band = cv::Rect(x, y - margin, w, h + 2 * margin) & cv::Rect(0, 0, page.text.cols, page.text.rows);
        page.text(band).setTo(0);
    }
    return found;
}

// Printed words grouped into phrases: runs of words on one line.
std::vector<WorkRect> phrasesOf(const Page& page)
{
    cv::Mat joined;
    cv::dilate(page.text, joined,
               cv::getStructuringElement(cv::MORPH_RECT, {page.px(2.0) | 1, std::max(1, page.px(0.4)) | 1}));
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(joined, labels, stats, centroids, 8, CV_32S);
    std::vector<WorkRect> phrases;
    for (int i = 1; i < count; ++i) {
        const cv::Rect r = componentBounds(stats, i);
        const cv::Rect inked = cv::boundingRect(page.text(r));
        if (inked.empty())
            continue;
        const WorkRect phrase = fromCv(inked + r.tl());
        if (phrase.height() < page.px(1.2) || phrase.height() > page.px(12) || phrase.width() < page.px(1.0))
            continue;
        phrases.push_back(phrase);
    }
    return phrases;
}

bool liesWithin(const WorkRect& inner, const WorkRect& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

// Whether a phrase stands on a line: its middle lies within the line's height.
bool onLineOf(const WorkRect& phrase, const WorkRect& line)
{
    const int centre = (phrase.top + phrase.bottom) / 2;
    return centre >= line.top && centre <= line.bottom;
}

// Many forms print a box's label small in its top-left corner. Such a caption lies wholly inside
// the box, ends in its upper half and starts in its left half; the first word of the topmost such
// line names the box. A comb row's cells and an underline's field hold no caption.
int captionInside(const Candidate& field, const std::vector<WorkRect>& phrases)
{
    if (field.kind != ProposalKind::Box && field.kind != ProposalKind::Cell)
        return -1;
    const WorkRect& f = field.rect;
    int best = -1;
    for (size_t i = 0; i < phrases.size(); ++i) {
        const WorkRect& p = phrases[i];
        if (!liesWithin(p, f) || p.bottom > f.top + f.height() / 2 || p.left > f.left + f.width() / 2)
            continue;
        if (best < 0 || p.top < phrases[size_t(best)].top)
            best = int(i);
    }
    if (best < 0)
        return best;
    // The topmost word may stand anywhere on the caption's line (a tall letter); its first word
    // is the leftmost on that line.
    const WorkRect line = phrases[size_t(best)];
    for (size_t i = 0; i < phrases.size(); ++i) {
        const WorkRect& p = phrases[i];
        if (liesWithin(p, f) && onLineOf(p, line) && p.left < phrases[size_t(best)].left)
            best = int(i);
    }
    return best;
}

// The outlines of the boxes found. A box smaller than a ruling's length (a tick box) keeps its
// outline among the printed words; taken out, it no longer joins the box to the label beside
// it, nor stands in the label's reading as a stroke.
cv::Mat outlinesOf(const std::vector<Candidate>& fields, const Page& page)
{
    cv::Mat outlines = cv::Mat::zeros(page.text.size(), CV_8U);
    // Outwards over the outline's width; inwards by the two pixels a blurred outline's ink
    // reaches beyond the ruling found, as the words beside the rulings are taken out.
    const int out = page.px(0.6) + 2;
    const int in = 2;
    const int ring = out + in;
    const cv::Rect all(0, 0, outlines.cols, outlines.rows);
    for (const Candidate& f : fields) {
        if (f.kind == ProposalKind::Underline)
            continue;  // its rectangle is the room above the line, not a printed outline
        const WorkRect& r = f.rect;
        const int left = r.left - out, top = r.top - out, width = r.width() + 2 * out, height = r.height() + 2 * out;
        const cv::Rect strips[] = {{left, top, width, ring},
                                   {left, top + height - ring, width, ring},
                                   {left, top, ring, height},
                                   {left + width - ring, top, ring, height}};
        for (const cv::Rect& strip : strips)
            outlines(strip & all).setTo(255);
    }
    return outlines;
}

// A phrase of one small character, or a speck of dirt or of the paper's edge, names only a
// field it stands close to.
bool isSpeckFarOff(const WorkRect& phrase, int gap, const Page& page)
{
    const int small = page.px(kSpeckMm);
    return phrase.width() < small && phrase.height() < small && gap > page.px(kSpeckReachMm);
}

struct NearPhrase {
    int index = -1;
    int gap = 0;
};

// The nearest phrase on the field's line that ends before it (after: starts behind it), with no
// other field between the two.
NearPhrase nearestOnLine(const Candidate& field, size_t self, const std::vector<Candidate>& fields,
                         const std::vector<WorkRect>& phrases, const std::vector<bool>& captions, int reach,
                         bool after, const Page& page)
{
    const WorkRect& f = field.rect;
    const int slack = page.px(1);
    NearPhrase best{-1, reach + 1};
    for (size_t i = 0; i < phrases.size(); ++i) {
        const WorkRect& p = phrases[i];
        const int centre = (p.top + p.bottom) / 2;
        if (captions[i] || centre < f.top - slack || centre > f.bottom + slack)
            continue;
        if (after ? p.left < f.right - slack : p.right > f.left + slack)
            continue;
        const int gap = after ? p.left - f.right : f.left - p.right;
        if (gap >= best.gap || isSpeckFarOff(p, gap, page))
            continue;
        const int from = after ? f.right : p.right;
        const int to = after ? p.left : f.left;
        const bool blocked = std::any_of(fields.begin(), fields.end(), [&](const Candidate& other) {
            return &other != &fields[self] && other.rect.left >= from && other.rect.right <= to &&
                   verticalOverlap(other.rect, f) > 0;
        });
        if (!blocked)
            best = {int(i), gap};
    }
    return best;
}

// A tick box: small and about square.
bool isTickBox(const Candidate& field, const Page& page)
{
    const WorkRect& f = field.rect;
    const int most = page.px(kTickBoxMm);
    return field.kind == ProposalKind::Box && f.width() <= most && f.height() <= most &&
           2 * f.width() <= 3 * f.height() && 2 * f.height() <= 3 * f.width();
}

// The phrase naming a field: the nearest one before it on its line, else the nearest one above.
// A tick box's label mostly stands just after it ("[ ] Yes  [ ] No"), and the question before the
// first box is not its label; a label before it wins only when clearly closer ("Yes [ ]  No [ ]").
// A phrase that is another box's caption belongs to that box and is passed over.
int labelFor(const Candidate& field, size_t self, const std::vector<Candidate>& fields,
             const std::vector<WorkRect>& phrases, const std::vector<bool>& captions, const Page& page)
{
    const WorkRect& f = field.rect;
    const NearPhrase before =
        nearestOnLine(field, self, fields, phrases, captions, page.px(kLabelGapLeftMm), false, page);
    if (isTickBox(field, page)) {
        const NearPhrase after =
            nearestOnLine(field, self, fields, phrases, captions, page.px(kTickLabelGapMm), true, page);
        if (after.index >= 0 && (before.index < 0 || 4 * before.gap >= 3 * after.gap))
            return after.index;
    }
    if (before.index >= 0)
        return before.index;
    const int slack = page.px(1);
    int best = -1;
    int bestGap = page.px(field.kind == ProposalKind::Cell ? kCellLabelGapAboveMm : kLabelGapAboveMm) + 1;
    for (size_t i = 0; i < phrases.size(); ++i) {
        const WorkRect& p = phrases[i];
        if (captions[i] || p.bottom > f.top + slack || horizontalOverlap(p, f) <= 0 || p.left < f.left - page.px(5))
            continue;
        const int gap = f.top - p.bottom;
        if (gap < bestGap && !isSpeckFarOff(p, gap, page)) {
            best = int(i);
            bestGap = gap;
        }
    }
    return best;
}

// Boxes with a caption inside are named by it, and the field starts below it, so that what is
// printed into the field does not cover the caption. Words of the caption that stand apart as
// phrases of their own (a widely spaced typeface) are joined to it; the joined line is added to
// the phrases. Returns which phrases are captions.
std::vector<bool> nameByCaptions(std::vector<Candidate>& fields, std::vector<WorkRect>& phrases, const Page& page)
{
    std::vector<bool> captions(phrases.size(), false);
    const int wordGap = page.px(6);
    for (Candidate& f : fields) {
        const int first = captionInside(f, phrases);
        f.label = first;
        if (first < 0)
            continue;
        captions[size_t(first)] = true;
        WorkRect line = phrases[size_t(first)];
        // The words after the first in the box, left to right, join while the gaps stay short.
        std::vector<size_t> after;
        for (size_t i = 0; i < phrases.size(); ++i)
            if (!captions[i] && phrases[i].left > line.right && liesWithin(phrases[i], f.rect))
                after.push_back(i);
        std::sort(after.begin(), after.end(), [&](size_t a, size_t b) { return phrases[a].left < phrases[b].left; });
        for (const size_t i : after) {
            const WorkRect& p = phrases[i];
            if (p.left > line.right + wordGap)
                break;
            if (p.left <= line.right || !onLineOf(p, line))
                continue;
            line.right = p.right;
            line.top = std::min(line.top, p.top);
            line.bottom = std::max(line.bottom, p.bottom);
            captions[i] = true;
        }
        if (line.right != phrases[size_t(first)].right) {
            f.label = int(phrases.size());
            phrases.push_back(line);
            captions.push_back(true);
        }
        const int below = line.bottom + page.px(0.5) + 1;
        if (f.rect.bottom - below + 1 >= page.px(kMinBoxMm))
            f.rect.top = below;
    }
    return captions;
}

void sortInReadingOrder(std::vector<FieldProposal>& proposals, double perMmPicture)
{
    std::sort(proposals.begin(), proposals.end(),
              [](const FieldProposal& a, const FieldProposal& b) { return a.rect.top < b.rect.top; });
    const int32_t band = std::max<int32_t>(1, int32_t(std::lround(3 * perMmPicture)));
    size_t start = 0;
    while (start < proposals.size()) {
        size_t end = start + 1;
        while (end < proposals.size() && proposals[end].rect.top - proposals[start].rect.top <= band)
            ++end;
        std::sort(proposals.begin() + long(start), proposals.begin() + long(end),
                  [](const FieldProposal& a, const FieldProposal& b) { return a.rect.left < b.rect.left; });
        start = end;
    }
}

bool overlapsExisting(const PixelRect& rect, const std::vector<PixelRect>& existing)
{
    const double area = double(rect.width()) * rect.height();
    for (const PixelRect& e : existing) {
        const int32_t w = std::min(rect.right, e.right) - std::max(rect.left, e.left) + 1;
        const int32_t h = std::min(rect.bottom, e.bottom) - std::max(rect.top, e.top) + 1;
        if (w <= 0 || h <= 0 || e.width() <= 0 || e.height() <= 0)
            continue;
        const double smaller = std::min(area, double(e.width()) * e.height());
        if (double(w) * h >= 0.5 * smaller)
            return true;
    }
    return false;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

const char* proposalKindName(ProposalKind kind)
{
    switch (kind) {
    case ProposalKind::Box:
        return "box";
    case ProposalKind::Underline:
        return "underline";
    case ProposalKind::Comb:
        return "comb";
    case ProposalKind::Cell:
        return "cell";
    }
    return "box";
}

double overlapRatio(const PixelRect& a, const PixelRect& b)
{
    if (a.width() <= 0 || a.height() <= 0 || b.width() <= 0 || b.height() <= 0)
        return 0;
    const int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left) + 1;
    const int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top) + 1;
    if (w <= 0 || h <= 0)
        return 0;
    const double inter = double(w) * double(h);
    return inter / (double(a.width()) * a.height() + double(b.width()) * b.height() - inter);
}

std::string cleanLabel(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        if (isBlank(c)) {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    // Marks that end or lead a label, and the rulings OCR reads as strokes beside it.
    const std::string edgeMarks = " :;.,_-|[](){}*#~=+'\"`/\\!?<>";
    const auto strip = [&] {
        while (!line.empty() && edgeMarks.find(line.front()) != std::string::npos && line.front() != '(')
            line.erase(line.begin());
        while (!line.empty() && edgeMarks.find(line.back()) != std::string::npos &&
               !(line.back() == ')' && line.find('(') != std::string::npos))
            line.pop_back();
    };
    strip();
    if (line.size() > 60) {
        size_t cut = line.rfind(' ', 60);
        if (cut == std::string::npos || cut == 0)
            cut = 60;
        // Never in the middle of a UTF-8 sequence.
        while (cut > 0 && (uint8_t(line[cut]) & 0xC0) == 0x80)
            --cut;
        line.erase(cut);
        strip();
    }
    return line;
}

void nameProposals(std::vector<FieldProposal>& proposals, const std::vector<std::string>& takenNames)
{
    std::set<std::string> taken(takenNames.begin(), takenNames.end());
    for (size_t i = 0; i < proposals.size(); ++i) {
        FieldProposal& p = proposals[i];
        std::string base = cleanLabel(p.label);
        if (base.empty())
            base = "Field " + std::to_string(i + 1);
        const std::string suffix = p.kind == ProposalKind::Comb ? " [comb " + std::to_string(p.combCells) + "]" : "";
        std::string name = base + suffix;
        for (int n = 2; taken.count(name); ++n)
            name = base + " " + std::to_string(n) + suffix;
        taken.insert(name);
        p.name = name;
    }
}

int fittingFontPoints(int32_t heightPixels, double pixelsPerMm)
{
    if (pixelsPerMm <= 0 || heightPixels <= 0)
        return 10;
    const double heightMm = heightPixels / pixelsPerMm;
    const double points = heightMm * 0.65 * 72 / 25.4;
    return std::clamp(int(std::floor(points)), 6, 48);
}

DetectionResult detectFields(const Dib& picture, const DetectionOptions& options, const DetectionProgress& progress)
{
    DetectionResult result;
    const auto report = [&](int percent) {
        if (progress && !progress(percent))
            result.cancelled = true;
        return !result.cancelled;
    };
    if (!report(0))
        return result;
    LabelReader reader;
    if (!options.language.empty() && !reader.open(options.language)) {
        char message[256];
        std::snprintf(message, sizeof message, kNoLanguageMessage, options.language.c_str());
        result.error = message;
        return result;
    }
    const WorkPicture work = workPictureOf(picture);
    const double perMmPicture = options.pixelsPerMm > 0 ? options.pixelsPerMm : pixelsPerMmOf(picture);
    const double perMm = perMmPicture / work.factor;
    if (work.gray.empty() || work.gray.cols / perMm < 20 || work.gray.rows / perMm < 20 || work.gray.cols < 32 ||
        work.gray.rows < 32) {
        result.error = kPictureTooSmallMessage;
        return result;
    }
    if (!report(5))
        return result;
    const cv::Mat ink = inkMask(work.gray, int(std::lround(perMm * 6)));
    if (cv::countNonZero(ink) > 0.3 * double(ink.rows) * ink.cols) {
        result.error = kNotAFormMessage;
        return result;
    }
    if (!report(15))
        return result;
    Page page = rulingsOf(ink, perMm);
    if (!report(35))
        return result;
    std::vector<Candidate> fields = groupCells(enclosedRectangles(page), page);
    if (!report(45))
        return result;
    for (Candidate& line : underlines(page))
        fields.push_back(line);
    // Scraps of photographs and noise give hundreds of small holes; a form gives tens.
    if (fields.size() > kMaxHoles / 2) {
        result.error = kNotAFormMessage;
        return result;
    }
    if (!report(50))
        return result;

    const cv::Mat outlines = outlinesOf(fields, page);
    page.text.setTo(0, outlines);
    std::vector<WorkRect> phrases = phrasesOf(page);
    const std::vector<bool> captions = nameByCaptions(fields, phrases, page);
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].label < 0)
            fields[i].label = labelFor(fields[i], i, fields, phrases, captions, page);

    // The words are read once per phrase, on the grey picture without its rulings.
    cv::Mat clean = work.gray.clone();
    clean.setTo(255, page.rulings);
    clean.setTo(255, outlines);
    std::vector<std::string> texts(phrases.size());
    std::vector<bool> wanted(phrases.size(), false);
    for (const Candidate& f : fields)
        if (f.label >= 0)
            wanted[size_t(f.label)] = true;
    const size_t toRead = size_t(std::count(wanted.begin(), wanted.end(), true));
    size_t done = 0;
    for (size_t i = 0; i < phrases.size() && reader.isOpen(); ++i) {
        if (!wanted[i] || done >= kMaxLabels)
            continue;
        texts[i] = reader.read(clean, toCv(phrases[i]), perMm);
        ++done;
        if (!report(50 + int(49 * done / std::max<size_t>(1, toRead))))
            return result;
    }

    const int factor = work.factor;
    for (const Candidate& f : fields) {
        FieldProposal p;
        p.rect = {f.rect.left * factor, f.rect.top * factor, (f.rect.right + 1) * factor - 1,
                  (f.rect.bottom + 1) * factor - 1};
        if (overlapsExisting(p.rect, options.existing))
            continue;
        p.kind = f.kind;
        p.combCells = f.cells;
        p.confidence = f.confidence;
        if (f.label >= 0)
            p.label = texts[size_t(f.label)];
        p.fontPoints = fittingFontPoints(p.rect.height(), perMmPicture);
        result.proposals.push_back(std::move(p));
    }
    sortInReadingOrder(result.proposals, perMmPicture);
    nameProposals(result.proposals, options.takenNames);
    report(100);
    return result;
}
