#include "vision/Deskew.h"

#include "imageops/RotateDib.h"
#include "vision/WorkPicture.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Every ink pixel weighs in up to this many; beyond, a regular sample.
constexpr size_t kMaxSkewPoints = 400'000;

struct InkPoint {
    float x;
    float y;
};

// How sharply the ink piles up in rows when the page is turned back by degrees: the sum of the
// squared row counts of the ink projected across the turned rows.
double rowSharpness(const std::vector<InkPoint>& points, double degrees, int height, std::vector<uint32_t>& bins)
{
    const double a = degrees * std::numbers::pi / 180;
    const float c = float(std::cos(a));
    const float s = float(std::sin(a));
    const int offset = height;
    std::fill(bins.begin(), bins.end(), 0u);
    for (const InkPoint& p : points) {
        const int bin = int(std::lround(p.y * c - p.x * s)) + offset;
        if (bin >= 0 && bin < int(bins.size()))
            ++bins[size_t(bin)];
    }
    double sum = 0;
    for (const uint32_t count : bins)
        sum += double(count) * count;
    return sum;
}

struct Best {
    double degrees;
    double score;
};

Best bestOf(const std::vector<InkPoint>& points, double from, double to, double step, int height,
            std::vector<uint32_t>& bins, std::vector<double>* scores = nullptr)
{
    Best best{from, -1};
    for (double d = from; d <= to + step / 2; d += step) {
        const double score = rowSharpness(points, d, height, bins);
        if (scores)
            scores->push_back(score);
        if (score > best.score)
            best = {d, score};
    }
    return best;
}

}  // namespace

SkewMeasurement measureSkew(const Dib& picture)
{
    SkewMeasurement result;
    result.error = kNoSkewMessage;
    WorkPicture work = workPictureOf(picture, 8'000'000);
    if (work.gray.cols < 16 || work.gray.rows < 16)
        return result;
    const double perMm = pixelsPerMmOf(picture) / work.factor;
    const cv::Mat ink = inkMask(work.gray, int(std::lround(perMm * 6)));

    std::vector<cv::Point> found;
    cv::findNonZero(ink, found);
    const double inkShare = double(found.size()) / (double(ink.rows) * ink.cols);
    // A page of print is mostly paper; too little ink holds no rows, too much is a photograph.
    if (found.size() < 200 || inkShare > 0.35)
        return result;
    const size_t stride = std::max<size_t>(1, found.size() / kMaxSkewPoints);
    std::vector<InkPoint> points;
    points.reserve(found.size() / stride + 1);
    for (size_t i = 0; i < found.size(); i += stride)
        points.push_back({float(found[i].x), float(found[i].y)});

    std::vector<uint32_t> bins(size_t(ink.rows) * 2 + size_t(ink.cols) + 2);
    std::vector<double> coarse;
    const Best rough = bestOf(points, -kMaxSkewDegrees, kMaxSkewDegrees, 0.25, ink.rows, bins, &coarse);
    // Rows of print give one clear peak; a page without them scores nearly alike at every angle.
    std::vector<double> sorted = coarse;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    if (median <= 0 || rough.score < median * 2)
        return result;
    const Best fine = bestOf(points, rough.degrees - 0.25, rough.degrees + 0.25, 0.02, ink.rows, bins);
    const Best finest = bestOf(points, fine.degrees - 0.02, fine.degrees + 0.02, 0.002, ink.rows, bins);
    const double degrees = std::clamp(finest.degrees, -kMaxSkewDegrees, kMaxSkewDegrees);
    result.degrees = std::round(degrees * 100) / 100;
    if (*result.degrees == 0)
        result.degrees = 0.0;  // no "-0"
    result.error.clear();
    return result;
}

StraighteningTurn straighteningTurn(double skewDegrees)
{
    // Content turned clockwise comes back by turning it counter-clockwise.
    return skewDegrees >= 0 ? StraighteningTurn{false, skewDegrees} : StraighteningTurn{true, -skewDegrees};
}

uint32_t whitePixelOf(const Dib& picture)
{
    if (!picture.header || picture.header->biBitCount == 24)
        return 0xFFFFFF;
    const int count = dibTableSize(picture.header->biBitCount);
    const RGBQUAD* colors = dibColors(picture);
    uint32_t best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        const int dr = 255 - colors[i].rgbRed;
        const int dg = 255 - colors[i].rgbGreen;
        const int db = 255 - colors[i].rgbBlue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = uint32_t(i);
        }
    }
    return best;
}

Dib straightenedDib(const Dib& picture, double skewDegrees, const DibProgress& progress)
{
    const StraighteningTurn turn = straighteningTurn(skewDegrees);
    return DibRotxxx(picture, turn.right, turn.degrees, whitePixelOf(picture), progress);
}
