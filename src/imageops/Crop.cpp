#include "imageops/Crop.h"

#include <algorithm>
#include <cstring>

bool isEmptySelection(const SelectionRect& selection)
{
    return selection.left == selection.right || selection.top == selection.bottom;
}

Dib cropDib(const Dib& picture, const SelectionRect& selection, const DibProgress& progress)
{
    if (!picture.bits)
        return Dib{};
    const int32_t width = picture.header->biWidth;
    const int32_t height = picture.header->biHeight;
    // The selection is kept inside the picture by the view; a stale one must still not read
    // outside the pixel rows.
    const int32_t left = std::clamp(std::min(selection.left, selection.right), 0, width);
    const int32_t right = std::clamp(std::max(selection.left, selection.right), 0, width);
    const int32_t top = std::clamp(std::min(selection.top, selection.bottom), 0, height);
    const int32_t bottom = std::clamp(std::max(selection.top, selection.bottom), 0, height);
    const int bits = picture.header->biBitCount;
    const int32_t newWidth = right - left;
    const int32_t newHeight = bottom - top;
    DibOwner cropped(newdib(newWidth, newHeight, bits, picture.header, dibTableSize(bits)));
    if (!cropped)
        return Dib{};

    Dib& target = cropped.get();
    const size_t bytes = size_t(bits / 8);
    for (int32_t d = 0; d < newHeight; ++d) {
        if (bits >= 8) {
            const uint8_t* source = picture.bits + size_t(height - 1 - (top + d)) * size_t(picture.rowSize);
            uint8_t* row = target.bits + size_t(newHeight - 1 - d) * size_t(target.rowSize);
            std::memcpy(row, source + size_t(left) * bytes, size_t(newWidth) * bytes);
        } else {
            for (int32_t x = 0; x < newWidth; ++x)
                setpixel(target, x, d, getpixel(picture, left + x, top + d));
        }
        if (progress)
            progress(rowPercent(d, newHeight));
    }
    return cropped.release();
}
