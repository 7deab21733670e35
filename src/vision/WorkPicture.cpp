#include "vision/WorkPicture.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

inline uint8_t greyOf(int r, int g, int b) { return uint8_t((r * 299 + g * 587 + b * 114 + 500) / 1000); }

// One picture row, top-down index y, as grey values.
void greyRow(const Dib& dib, int32_t y, uint8_t* out)
{
    const int32_t width = dib.header->biWidth;
    const int32_t height = std::abs(dib.header->biHeight);
    const int depth = dib.header->biBitCount;
    const uint8_t* row = dib.bits + int64_t(height - 1 - y) * dib.rowSize;
    if (depth == 24) {
        for (int32_t x = 0; x < width; ++x)
            out[x] = greyOf(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        return;
    }
    const RGBQUAD* colors = dibColors(dib);
    const int tableSize = dibTableSize(depth);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = colors[std::min(i, tableSize - 1)];
        table[i] = greyOf(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    if (depth == 8) {
        for (int32_t x = 0; x < width; ++x)
            out[x] = table[row[x]];
        return;
    }
    for (int32_t x = 0; x < width; ++x) {
        const int bitOffset = x * depth;
        out[x] = table[(row[bitOffset / 8] >> (8 - depth - bitOffset % 8)) & ((1 << depth) - 1)];
    }
}

}  // namespace

WorkPicture workPictureOf(const Dib& picture, int64_t maxPixels)
{
    WorkPicture work;
    if (!picture.bits || !picture.header)
        return work;
    const int32_t width = picture.header->biWidth;
    const int32_t height = std::abs(picture.header->biHeight);
    const int depth = picture.header->biBitCount;
    if (width <= 0 || height <= 0 || (depth != 1 && depth != 4 && depth != 8 && depth != 24))
        return work;
    const int64_t pixels = int64_t(width) * height;
    int factor = 1;
    while (pixels / (int64_t(factor) * factor) > maxPixels)
        ++factor;
    work.factor = factor;
    const int32_t outWidth = std::max(1, width / factor);
    const int32_t outHeight = std::max(1, height / factor);
    work.gray.create(outHeight, outWidth, CV_8U);
    std::vector<uint8_t> row(static_cast<size_t>(width));
    if (factor == 1) {
        for (int32_t y = 0; y < height; ++y)
            greyRow(picture, y, work.gray.ptr<uint8_t>(y));
        return work;
    }
    std::vector<uint32_t> sums(static_cast<size_t>(outWidth));
    const uint32_t cell = uint32_t(factor) * uint32_t(factor);
    for (int32_t oy = 0; oy < outHeight; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int32_t y = oy * factor; y < std::min(height, (oy + 1) * factor); ++y) {
            greyRow(picture, y, row.data());
            for (int32_t ox = 0; ox < outWidth; ++ox)
                for (int k = 0; k < factor && ox * factor + k < width; ++k)
                    sums[size_t(ox)] += row[size_t(ox * factor + k)];
        }
        uint8_t* out = work.gray.ptr<uint8_t>(oy);
        for (int32_t ox = 0; ox < outWidth; ++ox)
            out[ox] = uint8_t((sums[size_t(ox)] + cell / 2) / cell);
    }
    return work;
}

cv::Mat inkMask(const cv::Mat& gray, int blockPixels)
{
    cv::Mat ink;
    if (gray.empty())
        return ink;
    const int block = std::max(3, blockPixels) | 1;
    // A mark counts as ink when it is clearly darker than its surroundings; paper noise and JPEG
    // ringing stay below the margin.
    cv::adaptiveThreshold(gray, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, block, 28);
    return ink;
}

double pixelsPerMmOf(const Dib& picture)
{
    if (!picture.header)
        return 0;
    const double fromHeader = picture.header->biXPelsPerMeter / 1000.0;
    if (fromHeader >= 2 && fromHeader <= 100)  // 50 to 2540 ppi
        return fromHeader;
    const int32_t width = picture.header->biWidth;
    const int32_t height = std::abs(picture.header->biHeight);
    return width <= height ? width / 210.0 : width / 297.0;
}
