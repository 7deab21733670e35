#include "imgrove/DibFiles.h"

#include "imgrove/DibCodec.h"
#include "imgrove/FileReplacement.h"
#include "imgrove/PictureMemory.h"
#include "imgrove/VectorState.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>
#include <vector>

namespace {

// Larger files are refused before they are read: no picture newdib may create needs more.
constexpr uint64_t kMaxDibFileBytes = uint64_t(1) << 32;

// The formats recognised from content, strongest signature first: TGA has none and goes last.
const DibCodec* const kContentOrder[] = {&kBmpCodec, &kPngCodec, &kJpgCodec, &kGifCodec,
                                         &kTifCodec, &kPcxCodec, &kIffCodec, &kTgaCodec};

// The whole file in one block of picture memory, read without clearing the block first; an
// empty block when the file can't be read.
imgrove_detail::Block readWholeFile(const std::string& fileName)
{
    std::error_code error;
    const std::filesystem::path path(fileName);
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size == 0 || size > kMaxDibFileBytes)
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    imgrove_detail::Block data(size_t(size), false);
    if (!data)
        return {};
    in.read(reinterpret_cast<char*>(data.data()), std::streamsize(size));
    if (in.gcount() != std::streamsize(size))
        return {};
    return data;
}

void report(const DibProgress& progress, int percent)
{
    if (progress)
        progress(percent);
}

}  // namespace

const DibCodec* codecForFormat(int formatCode)
{
    switch (formatCode) {
    case DibFormatBmp:
        return &kBmpCodec;
    case DibFormatDib:
        return &kDibCodec;
    case DibFormatGif:
        return &kGifCodec;
    case DibFormatIff:
        return &kIffCodec;
    case DibFormatJif:
        return &kJifCodec;
    case DibFormatJpg:
        return &kJpgCodec;
    case DibFormatLbm:
        return &kLbmCodec;
    case DibFormatPcx:
        return &kPcxCodec;
    case DibFormatRle:
        return &kRleCodec;
    case DibFormatTga:
        return &kTgaCodec;
    case DibFormatTif:
        return &kTifCodec;
    default:
        return nullptr;
    }
}

const DibCodec* codecForContent(std::span<const uint8_t> head)
{
    for (const DibCodec* codec : kContentOrder)
        if (codec->sniff && codec->sniff(head))
            return codec;
    return nullptr;
}

Dib OpenDib(const std::string& fileName, int formatCode, const DibProgress& progress)
{
    // Called after the window has painted; the codec libraries run at their speed only with the
    // upper vector halves clear (VectorState.h).
    clearUpperVectorHalves();
    report(progress, 0);
    Dib dib;
    try {
        const imgrove_detail::Block data = readWholeFile(fileName);
        if (data) {
            report(progress, 30);
            const std::span<const uint8_t> bytes(data.data(), data.size());
            const DibCodec* codec = formatCode == DibFormatAuto ? codecForContent(bytes) : codecForFormat(formatCode);
            if (codec && codec->decode)
                dib = codec->decode(bytes);
        }
    } catch (const std::bad_alloc&) {
        dib = Dib{};
    }
    report(progress, 100);
    return dib.bits ? dib : Dib{};
}

WriteResult SaveDib(const Dib& dib, const std::string& fileName, int formatCode, const DibProgress& progress)
{
    const WriteResult notEncoded{false, std::make_error_code(std::errc::invalid_argument)};
    const DibCodec* codec = codecForFormat(formatCode);
    if (!codec || !codec->encode || !dib.bits || !dib.header || fileName.empty())
        return notEncoded;
    clearUpperVectorHalves();
    report(progress, 0);
    FileReplacement replacement(fileName);
    if (!replacement.file())
        return replacement.result();
    if (codec->encodePieces) {
        if (!codec->encodePieces(dib, [&replacement](const uint8_t* data, size_t size) { replacement.write(data, size); }))
            return replacement.error() ? replacement.result() : notEncoded;
    } else {
        std::vector<uint8_t> encoded;
        try {
            if (!codec->encode(dib, encoded))
                return notEncoded;
        } catch (const std::bad_alloc&) {
            return notEncoded;
        }
        report(progress, 50);
        replacement.write(encoded.data(), encoded.size());
    }
    if (!replacement.commit())
        return replacement.result();
    report(progress, 100);
    return replacement.result();
}

std::string GetDIBOpenFilter()
{
    return "All picture files|*.bmp;*.dib;*.rle;*.gif;*.iff;*.lbm;*.jpg;*.jpeg;*.jif;*.jfif;*.pcx;*.png;"
           "*.tga;*.tif;*.tiff"
           "|Windows bitmap (*.bmp;*.dib;*.rle)|*.bmp;*.dib;*.rle"
           "|CompuServe GIF (*.gif)|*.gif"
           "|Amiga IFF/ILBM (*.iff;*.lbm)|*.iff;*.lbm"
           "|JPEG (*.jpg;*.jpeg;*.jif;*.jfif)|*.jpg;*.jpeg;*.jif;*.jfif"
           "|ZSoft PCX (*.pcx)|*.pcx"
           "|Portable Network Graphics (*.png)|*.png"
           "|Truevision Targa (*.tga)|*.tga"
           "|Tagged Image File (*.tif;*.tiff)|*.tif;*.tiff"
           "|All files (*.*)|*.*";
}

std::string GetDIBSaveFilter()
{
    return "Windows bitmap (*.bmp)|*.bmp"
           "|Device independent bitmap (*.dib)|*.dib"
           "|CompuServe GIF (*.gif)|*.gif"
           "|Amiga IFF (*.iff)|*.iff"
           "|JPEG JFIF (*.jif)|*.jif"
           "|JPEG (*.jpg)|*.jpg"
           "|Deluxe Paint LBM (*.lbm)|*.lbm"
           "|ZSoft PCX (*.pcx)|*.pcx"
           "|Run-length encoded bitmap (*.rle)|*.rle"
           "|Truevision Targa (*.tga)|*.tga"
           "|Tagged Image File (*.tif)|*.tif";
}
