#include "picture/PictureFiles.h"

#include "picture/DrawDib.h"

#include <array>

namespace {

constexpr std::array<const char*, kSaveFilterCount> kSaveExtensions = {
    ".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg", ".lbm", ".pcx", ".rle", ".tga", ".tif"};

// A dialog should never hand back another index, but a stale or foreign one must still give a
// format SaveDib knows.
int validFilterIndex(int filterIndex)
{
    return filterIndex >= 1 && filterIndex <= kSaveFilterCount ? filterIndex : 1;
}

}  // namespace

std::string defaultSaveExtension(int filterIndex)
{
    return kSaveExtensions[size_t(validFilterIndex(filterIndex) - 1)];
}

int saveFormatCode(int filterIndex) { return validFilterIndex(filterIndex) + 2; }

bool hasFileExtension(const std::string& path)
{
    const size_t nameStart = path.find_last_of("/\\");
    const std::string name = nameStart == std::string::npos ? path : path.substr(nameStart + 1);
    const size_t dot = name.find_last_of('.');
    return dot != std::string::npos && dot > 0;
}

SaveTarget saveTargetFor(const std::string& chosenName, int filterIndex)
{
    SaveTarget target{chosenName, saveFormatCode(filterIndex)};
    if (!hasFileExtension(chosenName))
        target.fileName += defaultSaveExtension(filterIndex);
    return target;
}

ThumbSize thumbnailSize(int32_t boxWidth, int32_t boxHeight, int32_t pictureWidth, int32_t pictureHeight)
{
    if (boxWidth <= 0 || boxHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return {};
    // 64 bits: a box several hundred pixels wide times a picture tens of thousands high
    // would overflow 32.
    const int64_t fittedHeight = int64_t(boxWidth) * pictureHeight / pictureWidth;
    if (boxHeight < fittedHeight)
        return {int32_t(int64_t(boxHeight) * pictureWidth / pictureHeight), boxHeight};
    return {boxWidth, int32_t(fittedHeight)};
}

PictureInfo pictureInfo(const Dib& dib)
{
    return {std::to_string(DibWidth(dib)) + " Pixel", std::to_string(DibHeight(dib)) + " Pixel",
            std::to_string(DibColorCount(dib))};
}
