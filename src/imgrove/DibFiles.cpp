#include "imgrove/DibFiles.h"

#include "imgrove/DibCodec.h"

#include <atomic>
#include <chrono>
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

bool readWholeFile(const std::string& fileName, std::vector<uint8_t>& data)
{
    std::error_code error;
    const std::filesystem::path path(fileName);
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxDibFileBytes)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    data.resize(size_t(size));
    in.read(reinterpret_cast<char*>(data.data()), std::streamsize(size));
    return in.gcount() == std::streamsize(size);
}

void report(const DibProgress& progress, int percent)
{
    if (progress)
        progress(percent);
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    // Short enough for the file system whenever the target's own name is.
    std::string name = target.filename().string();
    if (name.size() > 200)
        name.resize(200);
    return target.parent_path() / (name + "." + std::to_string(stamp) + "-" + std::to_string(counter++) + ".tmp");
}

// Saving over a link writes the file it points to, not a new file in the link's place.
std::filesystem::path followLinks(const std::filesystem::path& target)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(target, error))
        return target;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
    return error ? target : resolved;
}

// The replacement keeps who may read the old file: a private form must not become readable to
// everyone by being saved again.
void keepPermissions(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code error;
    const std::filesystem::file_status old = std::filesystem::status(from, error);
    if (!error && std::filesystem::is_regular_file(old))
        std::filesystem::permissions(to, old.permissions(), error);
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
    report(progress, 0);
    Dib dib;
    try {
        std::vector<uint8_t> data;
        if (readWholeFile(fileName, data)) {
            report(progress, 30);
            const DibCodec* codec = formatCode == DibFormatAuto ? codecForContent(data) : codecForFormat(formatCode);
            if (codec && codec->decode)
                dib = codec->decode(data);
        }
    } catch (const std::bad_alloc&) {
        dib = Dib{};
    }
    report(progress, 100);
    return dib.bits ? dib : Dib{};
}

bool SaveDib(const Dib& dib, const std::string& fileName, int formatCode, const DibProgress& progress)
{
    const DibCodec* codec = codecForFormat(formatCode);
    if (!codec || !codec->encode || !dib.bits || !dib.header || fileName.empty())
        return false;
    report(progress, 0);
    std::vector<uint8_t> encoded;
    try {
        if (!codec->encode(dib, encoded))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    report(progress, 50);

    const std::filesystem::path target = followLinks(fileName);
    const std::filesystem::path temp = temporaryBeside(target);
    std::error_code error;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(encoded.data()), std::streamsize(encoded.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, error);
            return false;
        }
    }
    keepPermissions(target, temp);
    std::filesystem::rename(temp, target, error);
    if (error) {
        std::filesystem::remove(temp, error);
        return false;
    }
    report(progress, 100);
    return true;
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
