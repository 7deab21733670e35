#include "imageops/ResizeDib.h"

#include "imgrove/DibRows.h"

#include <algorithm>
#include <vector>

using namespace dibrows;

namespace {

struct Sample {
    int32_t source;    // column or row of the source
    int32_t next;      // the one after it, held to the last
    int32_t fraction;  // 0..1023
};

std::vector<Sample> samples(int32_t oldExtent, int32_t newExtent)
{
    const int64_t step = resizeStep(oldExtent, newExtent);
    std::vector<Sample> result(static_cast<size_t>(newExtent));
    for (int32_t i = 0; i < newExtent; ++i) {
        const int64_t position = int64_t(i) * step;
        const int32_t source = std::min(int32_t(position >> 10), oldExtent - 1);
        result[size_t(i)] = Sample{source, std::min(source + 1, oldExtent - 1), int32_t(position & 1023)};
    }
    return result;
}

const uint8_t* storedRow(const Dib& dib, int32_t index) { return dib.bits + size_t(index) * size_t(dib.rowSize); }
uint8_t* storedRow(Dib& dib, int32_t index) { return dib.bits + size_t(index) * size_t(dib.rowSize); }

void nearestRow(const Dib& picture, const std::vector<Sample>& columns, int32_t sourceRow, Dib& resized,
                int32_t targetRow)
{
    const uint8_t* source = storedRow(picture, sourceRow);
    uint8_t* target = storedRow(resized, targetRow);
    const int32_t width = int32_t(columns.size());
    const int bits = picture.header->biBitCount;
    switch (bits) {
    case 1:
    case 4:
        for (int32_t x = 0; x < width; ++x)
            putIndex(target, x, bits, indexAt(source, columns[size_t(x)].source, bits));
        break;
    case 8:
        for (int32_t x = 0; x < width; ++x)
            target[x] = source[columns[size_t(x)].source];
        break;
    default:
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = source + size_t(columns[size_t(x)].source) * 3;
            target[3 * x] = p[0];
            target[3 * x + 1] = p[1];
            target[3 * x + 2] = p[2];
        }
        break;
    }
}

void bilinearRow(const Dib& picture, const std::vector<Sample>& columns, const Sample& row, Dib& resized,
                 int32_t targetRow)
{
    // Rows in storage order, like the nearest way of the same depth: y1 is the stored row after y0.
    const uint8_t* upper = storedRow(picture, row.source);
    const uint8_t* lower = storedRow(picture, row.next);
    uint8_t* target = storedRow(resized, targetRow);
    const uint32_t fy = uint32_t(row.fraction);
    for (size_t x = 0; x < columns.size(); ++x) {
        const Sample& column = columns[x];
        const uint32_t fx = uint32_t(column.fraction);
        const size_t x0 = size_t(column.source) * 3;
        const size_t x1 = size_t(column.next) * 3;
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t a = (upper[x0 + k] * (1023 - fx) + upper[x1 + k] * fx) >> 10;
            const uint32_t b = (lower[x0 + k] * (1023 - fx) + lower[x1 + k] * fx) >> 10;
            target[3 * x + k] = uint8_t((a * (1023 - fy) + b * fy) >> 10);
        }
    }
}

}  // namespace

int32_t resizeStep(int32_t oldExtent, int32_t newExtent)
{
    return newExtent > 0 ? int32_t(int64_t(oldExtent) * 1024 / newExtent) : 0;
}

bool usesBilinear(int bitsPerPixel, int32_t oldWidth, int32_t oldHeight, int32_t newWidth, int32_t newHeight,
                  bool interpolate)
{
    return interpolate && bitsPerPixel == 24 && newWidth >= oldWidth && newHeight >= oldHeight;
}

Dib Resize(const Dib& picture, int32_t newWidth, int32_t newHeight, bool interpolate, const DibProgress& progress)
{
    if (!picture.bits || newWidth <= 0 || newHeight <= 0)
        return Dib{};
    const int bits = picture.header->biBitCount;
    const int32_t width = picture.header->biWidth;
    const int32_t height = picture.header->biHeight;
    DibOwner resized(newdib(newWidth, newHeight, bits, picture.header, dibTableSize(bits)));
    if (!resized)
        return Dib{};

    const std::vector<Sample> columns = samples(width, newWidth);
    const std::vector<Sample> rows = samples(height, newHeight);
    const bool bilinear = usesBilinear(bits, width, height, newWidth, newHeight, interpolate);
    if (progress)
        progress(0);
    for (int32_t y = 0; y < newHeight; ++y) {
        if (bilinear) {
            bilinearRow(picture, columns, rows[size_t(y)], resized.get(), y);
        } else if (bits == 1) {
            // The 1-bit way counts rows from the top; the others in storage order.
            nearestRow(picture, columns, height - 1 - rows[size_t(y)].source, resized.get(), newHeight - 1 - y);
        } else {
            nearestRow(picture, columns, rows[size_t(y)].source, resized.get(), y);
        }
        if (progress)
            progress(rowPercent(y, newHeight));
    }
    if (progress)
        progress(0);
    return resized.release();
}
