// The one interface every picture format implements. A codec decodes from memory (so that
// every reader is bounded by the bytes it was given and can be fuzzed) and encodes to memory.
#pragma once

#include "imgrove/Dib.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

struct DibCodec {
    const char* name;  // lower-case extension, e.g. "bmp"
    // True when the first bytes of a file look like this format.
    bool (*sniff)(std::span<const uint8_t> head);
    // bits null on any failure; never reads outside data, never allocates beyond what the
    // header may honestly claim (kMaxDibPixels).
    Dib (*decode)(std::span<const uint8_t> data);
    // Appends the encoded file to out; false when the picture can't be written.
    bool (*encode)(const Dib& dib, std::vector<uint8_t>& out);
    // Optional, for formats whose file is mostly the picture's own rows: hands the file to put
    // in pieces, the rows straight from the picture's memory, so a save copies nothing.
    bool (*encodePieces)(const Dib& dib, const std::function<void(const uint8_t*, size_t)>& put) = nullptr;
};

// The codec for a save format code (3..13) or for a file's content; null when none fits.
const DibCodec* codecForFormat(int formatCode);
const DibCodec* codecForContent(std::span<const uint8_t> head);

// One codec per file format. Own codec files: bmp, dib, rle (CodecBmp.cpp), tga (CodecTga.cpp),
// pcx (CodecPcx.cpp), iff and lbm (CodecIff.cpp). Over the codec libraries: jpg and jif
// (CodecJpeg.cpp), gif (CodecGif.cpp), tif (CodecTiff.cpp), png (CodecPng.cpp).
extern const DibCodec kBmpCodec;
extern const DibCodec kDibCodec;
extern const DibCodec kRleCodec;
extern const DibCodec kTgaCodec;
extern const DibCodec kPcxCodec;
extern const DibCodec kIffCodec;
extern const DibCodec kLbmCodec;
extern const DibCodec kJpgCodec;
extern const DibCodec kJifCodec;
extern const DibCodec kGifCodec;
extern const DibCodec kTifCodec;
extern const DibCodec kPngCodec;
