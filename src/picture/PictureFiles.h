// The rules behind the picture file buttons and the picture information of the "Scan" tab:
// plain functions, no widgets.
#pragma once

#include "imgrove/Dib.h"

#include <cstdint>
#include <string>

// Entries of the save filter, in order (1-based filter index).
constexpr int kSaveFilterCount = 11;

// Extension with its dot for a 1-based save-filter index; indexes outside 1..11 count as 1.
std::string defaultSaveExtension(int filterIndex);
// The format code SaveDib takes for a 1-based save-filter index (index + 2).
int saveFormatCode(int filterIndex);

// True when the last component of a path carries an extension (a dot after its first
// character, as "x.bmp" or "x."; not ".profile" or a dot in a folder name).
bool hasFileExtension(const std::string& path);

struct SaveTarget {
    std::string fileName;
    int formatCode = 0;
};
// The name and format of a save: the selected filter decides the format; a name without an
// extension gets the filter's extension, a name with one is kept as typed.
SaveTarget saveTargetFor(const std::string& chosenName, int filterIndex);

struct ThumbSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const ThumbSize&) const = default;
};
// Size a picture of pictureWidth x pictureHeight is drawn at in a box of boxWidth x boxHeight:
// proportions kept, as large as fits, quotients truncated. Empty for an empty picture or box.
ThumbSize thumbnailSize(int32_t boxWidth, int32_t boxHeight, int32_t pictureWidth, int32_t pictureHeight);

// The three texts of the picture information boxes.
struct PictureInfo {
    std::string width;   // "<w> Pixel"
    std::string height;  // "<h> Pixel"
    std::string colors;  // 2 to the power of the bits per pixel
    bool operator==(const PictureInfo&) const = default;
};
PictureInfo pictureInfo(const Dib& dib);
