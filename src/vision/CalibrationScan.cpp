#include "vision/CalibrationScan.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

using Point = cv::Point2d;
using Corners = std::array<Point, 4>;

struct Line {
    Point point;
    Point direction;
};

struct Blob {
    Point centre;  // scan pixels
    double area;   // scan pixels
};

// Where a mark of the layout was found, in paper millimetres.
struct FoundMark {
    SheetMark mark;
    Point paperMm;
};

// nominal → measured: measured = offset + columnX * x + columnY * y.
struct Placement {
    Point offset;
    Point columnX;
    Point columnY;
    Point operator()(double x, double y) const { return offset + columnX * x + columnY * y; }
};

constexpr double kEdgeProfileMm = 2.5;
// A corner mark is searched this far from its paper corner: the inset plus the widest margin, a
// few per cent of scale error and 2° of skew over the sheet's height. The other corner marks are
// much further away.
constexpr double kCornerSearchMm = 60;
constexpr double kScaleSearchMm = 3;
// Shares of each scale's marks that must be found for a measurement.
constexpr double kScaleMarksNeeded = 0.75;
constexpr double kAspectTolerance = 0.015;

double length(Point p) { return std::hypot(p.x, p.y); }

double sampleAt(const cv::Mat& image, Point p)
{
    const int x0 = int(std::floor(p.x));
    const int y0 = int(std::floor(p.y));
    const int x1 = std::clamp(x0 + 1, 0, image.cols - 1);
    const int y1 = std::clamp(y0 + 1, 0, image.rows - 1);
    const int cx0 = std::clamp(x0, 0, image.cols - 1);
    const int cy0 = std::clamp(y0, 0, image.rows - 1);
    const double fx = p.x - x0;
    const double fy = p.y - y0;
    const auto v = [&](int y, int x) { return double(image.at<float>(y, x)); };
    return (v(cy0, cx0) * (1 - fx) + v(cy0, x1) * fx) * (1 - fy) + (v(y1, cx0) * (1 - fx) + v(y1, x1) * fx) * fy;
}

std::optional<Point> intersection(const Line& a, const Line& b)
{
    const double det = a.direction.x * b.direction.y - a.direction.y * b.direction.x;
    if (std::abs(det) < 1e-9)
        return std::nullopt;
    const Point d = b.point - a.point;
    const double t = (d.x * b.direction.y - d.y * b.direction.x) / det;
    return a.point + a.direction * t;
}

// Clockwise on the screen (y down), starting anywhere.
Corners clockwise(const std::vector<cv::Point2f>& points)
{
    Point centre{0, 0};
    for (const auto& p : points)
        centre += Point(p);
    centre *= 1.0 / double(points.size());
    Corners corners;
    for (size_t i = 0; i < 4; ++i)
        corners[i] = Point(points[i]);
    std::sort(corners.begin(), corners.end(), [&](Point a, Point b) {
        return std::atan2(a.y - centre.y, a.x - centre.x) < std::atan2(b.y - centre.y, b.x - centre.x);
    });
    return corners;
}

// The largest bright region's outline as four corners, or nothing when the scan shows no sheet
// with its edges against a darker background.
std::optional<Corners> roughPaperCorners(const cv::Mat& smooth8)
{
    cv::Mat bright;
    cv::threshold(smooth8, bright, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(bright, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    const auto largest = std::max_element(contours.begin(), contours.end(), [](const auto& a, const auto& b) {
        return cv::contourArea(a) < cv::contourArea(b);
    });
    if (largest == contours.end() || cv::contourArea(*largest) < 0.2 * double(smooth8.total()))
        return std::nullopt;
    const cv::Rect box = cv::boundingRect(*largest);
    const bool fillsScan = box.x <= 1 && box.y <= 1 && box.br().x >= smooth8.cols - 1 && box.br().y >= smooth8.rows - 1;
    if (fillsScan)
        return std::nullopt;
    std::vector<cv::Point> polygon;
    cv::approxPolyDP(*largest, polygon, 0.02 * cv::arcLength(*largest, true), true);
    if (polygon.size() != 4 || !cv::isContourConvex(polygon))
        return std::nullopt;
    std::vector<cv::Point2f> points(polygon.begin(), polygon.end());
    return clockwise(points);
}

// Where a profile across the edge crosses half-way between background and paper, to a fraction
// of a pixel; blur spreads an edge evenly to both sides, so the crossing stays where it was.
std::optional<double> edgeCrossing(const std::vector<double>& profile)
{
    const size_t quarter = profile.size() / 4;
    double outside = 0;
    double inside = 0;
    for (size_t i = 0; i < quarter; ++i) {
        outside += profile[i];
        inside += profile[profile.size() - 1 - i];
    }
    outside /= double(quarter);
    inside /= double(quarter);
    if (inside - outside < 30)
        return std::nullopt;
    const double mid = (inside + outside) / 2;
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        if (profile[i] < mid && profile[i + 1] >= mid)
            return double(i) + (mid - profile[i]) / (profile[i + 1] - profile[i]);
    }
    return std::nullopt;
}

// The edge from a to b fitted through many crossings; inward points onto the paper.
std::optional<Line> refinedEdge(const cv::Mat& smoothF, Point a, Point b, Point inward, double pxPerMm)
{
    constexpr int kSamples = 80;
    constexpr double kStep = 0.25;
    const double half = std::max(4.0, kEdgeProfileMm * pxPerMm);
    std::vector<cv::Point2f> crossings;
    std::vector<double> profile;
    for (int i = 0; i < kSamples; ++i) {
        const double t = 0.1 + 0.8 * i / (kSamples - 1);
        const Point base = a + (b - a) * t;
        profile.clear();
        for (double s = -half; s <= half; s += kStep)
            profile.push_back(sampleAt(smoothF, base + inward * s));
        if (const auto crossing = edgeCrossing(profile))
            crossings.emplace_back(base + inward * (-half + *crossing * kStep));
    }
    if (crossings.size() < kSamples / 2)
        return std::nullopt;
    cv::Vec4f fitted;
    cv::fitLine(crossings, fitted, cv::DIST_HUBER, 0, 0.01, 0.01);
    return Line{{fitted[2], fitted[3]}, {fitted[0], fitted[1]}};
}

std::optional<Corners> refinedCorners(const cv::Mat& smoothF, const Corners& rough, double pxPerMm)
{
    Point centre{0, 0};
    for (const Point& c : rough)
        centre += c * 0.25;
    std::array<Line, 4> edges;
    for (size_t i = 0; i < 4; ++i) {
        const Point a = rough[i];
        const Point b = rough[(i + 1) % 4];
        const Point along = (b - a) * (1 / length(b - a));
        Point inward{-along.y, along.x};
        if (inward.dot(centre - a) < 0)
            inward = -inward;
        const auto edge = refinedEdge(smoothF, a, b, inward, pxPerMm);
        if (!edge)
            return std::nullopt;
        edges[i] = *edge;
    }
    Corners corners;
    for (size_t i = 0; i < 4; ++i) {
        const auto corner = intersection(edges[(i + 3) % 4], edges[i]);
        if (!corner)
            return std::nullopt;
        corners[i] = *corner;
    }
    return corners;
}

// Matches the sheet's proportions, whichever way it lies, against the candidate sizes.
std::optional<PaperSize> matchedPaper(const Corners& c, const std::optional<PaperSize>& given)
{
    const double sideA = (length(c[1] - c[0]) + length(c[2] - c[3])) / 2;
    const double sideB = (length(c[2] - c[1]) + length(c[3] - c[0])) / 2;
    const double aspect = std::min(sideA, sideB) / std::max(sideA, sideB);
    const std::vector<PaperSize> candidates = given ? std::vector<PaperSize>{*given} : knownPaperSizes();
    std::optional<PaperSize> best;
    double bestError = kAspectTolerance;
    for (const PaperSize& size : candidates) {
        const double error = std::abs(aspect / (size.width / size.height) - 1);
        if (error <= bestError) {
            bestError = error;
            best = size;
        }
    }
    return best;
}

std::vector<Blob> darkBlobs(const cv::Mat& smooth8, const Corners& paper, double threshold)
{
    cv::Mat mask = cv::Mat::zeros(smooth8.size(), CV_8U);
    std::vector<cv::Point> polygon;
    for (const Point& p : paper)
        polygon.emplace_back(int(std::lround(p.x)), int(std::lround(p.y)));
    cv::fillConvexPoly(mask, polygon, 255);
    cv::erode(mask, mask, cv::getStructuringElement(cv::MORPH_RECT, {9, 9}));
    cv::Mat dark;
    cv::threshold(smooth8, dark, threshold, 255, cv::THRESH_BINARY_INV);
    dark &= mask;
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(dark, labels, stats, centroids, 8, CV_32S);
    std::vector<Blob> blobs;
    for (int i = 1; i < count; ++i) {
        const double area = stats.at<int>(i, cv::CC_STAT_AREA);
        const double w = stats.at<int>(i, cv::CC_STAT_WIDTH);
        const double h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
        const bool squareish = w / h > 0.6 && w / h < 1.6 && area / (w * h) > 0.6;
        if (squareish)
            blobs.push_back({{centroids.at<double>(i, 0), centroids.at<double>(i, 1)}, area});
    }
    return blobs;
}

bool hasSide(const Blob& blob, double sideMm, double pxPerMm, double low, double high)
{
    const double expected = sideMm * sideMm * pxPerMm * pxPerMm;
    return blob.area >= low * expected && blob.area <= high * expected;
}

bool isCornerMark(const Blob& b, double ppm) { return hasSide(b, kCornerMarkSide, ppm, 0.7, 1.4); }
bool isOrientationMark(const Blob& b, double ppm) { return hasSide(b, kOrientationMarkSide, ppm, 0.6, 1.5); }
bool isScaleMark(const Blob& b, double ppm) { return hasSide(b, kScaleMarkSide, ppm, 0.5, 1.6); }

std::optional<Blob> nearest(const std::vector<Blob>& blobs, Point to, double within, auto&& accept)
{
    std::optional<Blob> best;
    double bestDistance = within;
    for (const Blob& blob : blobs) {
        const double distance = length(blob.centre - to);
        if (distance <= bestDistance && accept(blob)) {
            bestDistance = distance;
            best = blob;
        }
    }
    return best;
}

// The darkness-weighted centre of a mark; the weights start above the paper's noise, so the
// paper around the mark adds nothing.
Point weightedCentre(const cv::Mat& smoothF, Point start, double radius, double white)
{
    Point centre = start;
    const double floor = 0.15 * white;
    for (int pass = 0; pass < 3; ++pass) {
        const int x0 = std::max(0, int(std::floor(centre.x - radius)));
        const int y0 = std::max(0, int(std::floor(centre.y - radius)));
        const int x1 = std::min(smoothF.cols - 1, int(std::ceil(centre.x + radius)));
        const int y1 = std::min(smoothF.rows - 1, int(std::ceil(centre.y + radius)));
        double sum = 0, sx = 0, sy = 0;
        for (int y = y0; y <= y1; ++y) {
            const float* row = smoothF.ptr<float>(y);
            for (int x = x0; x <= x1; ++x) {
                const double w = std::max(0.0, white - row[x] - floor);
                sum += w;
                sx += w * x;
                sy += w * y;
            }
        }
        if (sum <= 0)
            return centre;
        centre = {sx / sum, sy / sum};
    }
    return centre;
}

Point toPaper(const cv::Matx33d& homography, Point p)
{
    const cv::Vec3d q = homography * cv::Vec3d(p.x, p.y, 1);
    return {q[0] / q[2], q[1] / q[2]};
}

std::optional<Placement> fittedPlacement(const std::vector<FoundMark>& found)
{
    if (found.size() < 3)
        return std::nullopt;
    cv::Mat a(int(found.size()), 3, CV_64F);
    cv::Mat b(int(found.size()), 2, CV_64F);
    for (int i = 0; i < int(found.size()); ++i) {
        a.at<double>(i, 0) = 1;
        a.at<double>(i, 1) = found[size_t(i)].mark.x;
        a.at<double>(i, 2) = found[size_t(i)].mark.y;
        b.at<double>(i, 0) = found[size_t(i)].paperMm.x;
        b.at<double>(i, 1) = found[size_t(i)].paperMm.y;
    }
    cv::Mat solution;
    if (!cv::solve(a, b, solution, cv::DECOMP_SVD))
        return std::nullopt;
    const auto at = [&](int r, int c) { return solution.at<double>(r, c); };
    return Placement{{at(0, 0), at(0, 1)}, {at(1, 0), at(1, 1)}, {at(2, 0), at(2, 1)}};
}

// Printed mm per nominal mm along one scale: the slope of the marks' positions over their
// nominal distance along it.
double scaleAlong(const std::vector<FoundMark>& found, MarkRole role)
{
    const bool horizontal = role == MarkRole::TopScale || role == MarkRole::BottomScale;
    double n = 0, st = 0, stt = 0;
    Point sp{0, 0}, stp{0, 0};
    for (const FoundMark& f : found) {
        if (f.mark.role != role)
            continue;
        const double t = horizontal ? f.mark.x : f.mark.y;
        n += 1;
        st += t;
        stt += t * t;
        sp += f.paperMm;
        stp += f.paperMm * t;
    }
    const double denominator = n * stt - st * st;
    if (denominator <= 0)
        return 1;
    return length((stp * n - sp * st) * (1 / denominator));
}

class ScanMeasurer {
public:
    ScanMeasurer(const cv::Mat& gray, const Calibration& printedWith,
                 const std::optional<PaperSize>& paper)
        : printedWith_(printedWith), givenPaper_(paper)
    {
        cv::GaussianBlur(gray, smooth8_, {0, 0}, 1.0);
        smooth8_.convertTo(smoothF_, CV_32F);
    }

    CalibrationScanResult measure()
    {
        const auto rough = roughPaperCorners(smooth8_);
        if (!rough)
            return failure(kNoSheetMessage);
        const auto paper = matchedPaper(*rough, givenPaper_);
        if (!paper)
            return failure(kUnknownPaperMessage);
        paper_ = *paper;
        pxPerMm_ = std::sqrt(cv::contourArea(std::vector<cv::Point2f>(rough->begin(), rough->end())) /
                             (paper_.width * paper_.height));
        const auto corners = refinedCorners(smoothF_, *rough, pxPerMm_);
        if (!corners)
            return failure(kNoSheetMessage);
        white_ = paperWhite(*corners);
        blobs_ = darkBlobs(smooth8_, *corners, white_ * 0.55);
        return measureMarks(*corners);
    }

private:
    static CalibrationScanResult failure(const char* message) { return {std::nullopt, message}; }

    double paperWhite(const Corners& corners) const
    {
        Point centre{0, 0};
        for (const Point& c : corners)
            centre += c * 0.25;
        std::vector<float> values;
        for (const Point& c : corners) {
            for (double t = 0.2; t <= 0.8; t += 0.05)
                values.push_back(float(sampleAt(smoothF_, c + (centre - c) * t)));
        }
        std::nth_element(values.begin(), values.begin() + long(values.size() * 3 / 4), values.end());
        return values[values.size() * 3 / 4];
    }

    CalibrationScanResult measureMarks(const Corners& corners)
    {
        std::array<std::optional<Blob>, 4> cornerMarks;
        for (size_t i = 0; i < 4; ++i) {
            cornerMarks[i] = nearest(blobs_, corners[i], kCornerSearchMm * pxPerMm_,
                                     [&](const Blob& b) { return isCornerMark(b, pxPerMm_); });
            if (!cornerMarks[i])
                return failure(kNoMarksMessage);
        }
        const auto topLeft = orientationCorner(cornerMarks);
        if (!topLeft)
            return failure(kNoMarksMessage);
        Corners upright;
        for (size_t i = 0; i < 4; ++i)
            upright[i] = corners[(*topLeft + i) % 4];
        const std::vector<cv::Point2f> from(upright.begin(), upright.end());
        const std::vector<cv::Point2f> to = {{0, 0},
                                             {float(paper_.width), 0},
                                             {float(paper_.width), float(paper_.height)},
                                             {0, float(paper_.height)}};
        homography_ = cv::Matx33d(cv::getPerspectiveTransform(from, to));
        const auto found = foundMarks();
        if (!found)
            return failure(kNoMarksMessage);
        return measurement(*found, upright);
    }

    // The corner whose mark has the orientation mark beside it, towards the sheet's middle.
    std::optional<size_t> orientationCorner(const std::array<std::optional<Blob>, 4>& cornerMarks) const
    {
        Point middle{0, 0};
        for (const auto& mark : cornerMarks)
            middle += mark->centre * 0.25;
        const double expected = kOrientationMarkOffset * std::numbers::sqrt2 * pxPerMm_;
        std::optional<size_t> found;
        for (size_t i = 0; i < 4; ++i) {
            const Point inward = (middle - cornerMarks[i]->centre) * (1 / length(middle - cornerMarks[i]->centre));
            const Point at = cornerMarks[i]->centre + inward * expected;
            if (nearest(blobs_, at, 4 * pxPerMm_, [&](const Blob& b) { return isOrientationMark(b, pxPerMm_); })) {
                if (found)
                    return std::nullopt;
                found = i;
            }
        }
        return found;
    }

    Point refinedPaperPosition(const Blob& blob, double sideMm) const
    {
        const double radius = (0.75 * sideMm + 1) * pxPerMm_;
        return toPaper(homography_, weightedCentre(smoothF_, blob.centre, radius, white_));
    }

    // Every mark of the layout that the scan shows where the corner marks say it should be.
    std::optional<std::vector<FoundMark>> foundMarks() const
    {
        const CalibrationSheetLayout layout = calibrationSheetLayout(paper_);
        std::vector<Blob> inPaper = blobs_;
        for (Blob& b : inPaper)
            b.centre = toPaper(homography_, b.centre);
        std::vector<FoundMark> anchors;
        for (const SheetMark& mark : layout.marks) {
            if (mark.role != MarkRole::Corner)
                continue;
            const auto blob = nearest(inPaper, {mark.x, mark.y}, kCornerSearchMm,
                                      [&](const Blob& b) { return isCornerMark(b, pxPerMm_); });
            if (!blob)
                return std::nullopt;
            anchors.push_back({mark, blob->centre});
        }
        const auto rough = fittedPlacement(anchors);
        if (!rough)
            return std::nullopt;
        std::vector<FoundMark> found;
        for (const SheetMark& mark : layout.marks) {
            const Point expected = (*rough)(mark.x, mark.y);
            const double within = mark.role == MarkRole::Corner ? kCornerMarkSide : kScaleSearchMm;
            const auto index = nearestIndex(inPaper, expected, within, mark);
            if (index)
                found.push_back({mark, refinedPaperPosition(blobs_[*index], mark.side)});
        }
        if (!enoughOfEveryScale(layout, found))
            return std::nullopt;
        return found;
    }

    std::optional<size_t> nearestIndex(const std::vector<Blob>& inPaper, Point expected, double within,
                                       const SheetMark& mark) const
    {
        std::optional<size_t> best;
        double bestDistance = within;
        for (size_t i = 0; i < inPaper.size(); ++i) {
            const double distance = length(inPaper[i].centre - expected);
            if (distance <= bestDistance && fitsRole(blobs_[i], mark.role)) {
                bestDistance = distance;
                best = i;
            }
        }
        return best;
    }

    bool fitsRole(const Blob& blob, MarkRole role) const
    {
        switch (role) {
        case MarkRole::Corner: return isCornerMark(blob, pxPerMm_);
        case MarkRole::Orientation: return isOrientationMark(blob, pxPerMm_);
        default: return isScaleMark(blob, pxPerMm_);
        }
    }

    static bool enoughOfEveryScale(const CalibrationSheetLayout& layout, const std::vector<FoundMark>& found)
    {
        for (const MarkRole role : {MarkRole::TopScale, MarkRole::BottomScale, MarkRole::LeftScale, MarkRole::RightScale}) {
            const auto ofRole = [role](const auto& m) { return m.role == role; };
            const auto expected = std::count_if(layout.marks.begin(), layout.marks.end(), ofRole);
            const auto seen = std::count_if(found.begin(), found.end(), [&](const FoundMark& f) { return ofRole(f.mark); });
            if (double(seen) < kScaleMarksNeeded * double(expected))
                return false;
        }
        return true;
    }

    CalibrationScanResult measurement(const std::vector<FoundMark>& allFound, const Corners& upright) const
    {
        const std::vector<FoundMark> found = withoutOutliers(allFound);
        const auto placement = fittedPlacement(found);
        if (!placement)
            return failure(kNoMarksMessage);
        CalibrationMeasurement m;
        const Point origin = (*placement)(printedWith_.LinksEd, printedWith_.ObenEd);
        m.values = {origin.x, origin.y, printedWith_.BreitEd * length(placement->columnX),
                    printedWith_.HochEd * length(placement->columnY)};
        m.skewDegrees = std::atan2(placement->columnX.y, placement->columnX.x) * 180 / std::numbers::pi;
        m.sides = {printedWith_.BreitEd * scaleAlong(found, MarkRole::TopScale),
                   printedWith_.BreitEd * scaleAlong(found, MarkRole::BottomScale),
                   printedWith_.HochEd * scaleAlong(found, MarkRole::LeftScale),
                   printedWith_.HochEd * scaleAlong(found, MarkRole::RightScale)};
        m.sidesDiffer = std::abs(m.sides.top - m.sides.bottom) > kSideScaleTolerance ||
                        std::abs(m.sides.left - m.sides.right) > kSideScaleTolerance;
        m.quarterTurns = quarterTurns(upright);
        m.paper = paper_;
        double squares = 0;
        for (const FoundMark& f : found) {
            const Point d = f.paperMm - (*placement)(f.mark.x, f.mark.y);
            squares += d.dot(d);
        }
        m.residualMm = std::sqrt(squares / double(found.size()));
        return {m, {}};
    }

    // A mark smudged, torn or cut by the paper's edge would pull the whole fit; the printer's own
    // placement is smooth, so a mark far off the fit through all marks is left out.
    static std::vector<FoundMark> withoutOutliers(const std::vector<FoundMark>& found)
    {
        constexpr double kOutlierMm = 0.25;
        const auto placement = fittedPlacement(found);
        if (!placement)
            return found;
        std::vector<FoundMark> kept;
        for (const FoundMark& f : found) {
            if (length(f.paperMm - (*placement)(f.mark.x, f.mark.y)) <= kOutlierMm)
                kept.push_back(f);
        }
        return kept.size() * 2 > found.size() ? kept : found;
    }

    // The paper's top edge direction in the scan: right for a sheet lying upright.
    static int quarterTurns(const Corners& upright)
    {
        const Point top = upright[1] - upright[0];
        const double degrees = std::atan2(top.y, top.x) * 180 / std::numbers::pi;
        return (int(std::lround(degrees / 90)) % 4 + 4) % 4;
    }

    Calibration printedWith_;
    std::optional<PaperSize> givenPaper_;
    cv::Mat smooth8_;
    cv::Mat smoothF_;
    PaperSize paper_{};
    double pxPerMm_ = 1;
    double white_ = 255;
    std::vector<Blob> blobs_;
    cv::Matx33d homography_;
};

}  // namespace

CalibrationScanResult measureCalibrationScan(const cv::Mat& gray, const Calibration& printedWith,
                                             const std::optional<PaperSize>& paper)
{
    if (gray.empty() || gray.type() != CV_8UC1)
        return {std::nullopt, kNoSheetMessage};
    return ScanMeasurer(gray, printedWith, paper).measure();
}

cv::Mat dibToGray(const Dib& dib)
{
    if (!dib.bits || !dib.header)
        return {};
    const int32_t width = dib.header->biWidth;
    const int32_t height = std::abs(dib.header->biHeight);
    const int depth = dib.header->biBitCount;
    const RGBQUAD* colors = dibColors(dib);
    const int tableSize = dibTableSize(depth);
    const auto grey = [](int r, int g, int b) { return uint8_t((r * 299 + g * 587 + b * 114 + 500) / 1000); };
    cv::Mat gray(height, width, CV_8U);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = dib.bits + int64_t(height - 1 - y) * dib.rowSize;
        uint8_t* out = gray.ptr<uint8_t>(y);
        for (int32_t x = 0; x < width; ++x) {
            if (depth == 24) {
                out[x] = grey(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                continue;
            }
            const int bitOffset = x * depth;
            const int index = (row[bitOffset / 8] >> (8 - depth - bitOffset % 8)) & ((1 << depth) - 1);
            const RGBQUAD& c = colors[std::min(index, tableSize - 1)];
            out[x] = grey(c.rgbRed, c.rgbGreen, c.rgbBlue);
        }
    }
    return gray;
}
