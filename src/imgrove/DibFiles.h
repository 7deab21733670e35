// Reading and writing picture files, and the file-dialog filters.
#pragma once

#include "imgrove/Dib.h"
#include "imgrove/FileReplacement.h"

#include <functional>
#include <string>

// Progress in percent, 0..100; may be empty.
using DibProgress = std::function<void(int)>;

// Progress of row r of a picture of the given height; a single row reports 0.
inline int rowPercent(int32_t row, int32_t height)
{
    return height <= 1 ? 0 : static_cast<int>(int64_t(row) * 100 / (height - 1));
}

// Format codes of SaveDib: 3 plus the position in the save filter.
enum DibFormat {
    DibFormatAuto = 0,
    DibFormatBmp = 3,
    DibFormatDib = 4,
    DibFormatGif = 5,
    DibFormatIff = 6,
    DibFormatJif = 7,
    DibFormatJpg = 8,
    DibFormatLbm = 9,
    DibFormatPcx = 10,
    DibFormatRle = 11,
    DibFormatTga = 12,
    DibFormatTif = 13,
};

// Reads a picture; format 0 recognises the format from the content. bits null on failure.
Dib OpenDib(const std::string& fileName, int formatCode, const DibProgress& progress = {});
// Writes a picture through a temporary file renamed over the target; false when it failed
// (the old file, if any, is left as it was). A picture the format cannot hold is not opened.
WriteResult SaveDib(const Dib& dib, const std::string& fileName, int formatCode, const DibProgress& progress = {});

// Filters in the "description|patterns|description|patterns" form of the file dialogs.
std::string GetDIBOpenFilter();
std::string GetDIBSaveFilter();  // 11 entries: bmp dib gif iff jif jpg lbm pcx rle tga tif
