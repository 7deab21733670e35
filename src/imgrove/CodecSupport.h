// Helpers shared inside the picture library: bounded reading, byte-order writing and the
// memory budget of a read. Internal to the library; the row access is public in DibRows.h.
#pragma once

#include "imgrove/Dib.h"
#include "imgrove/DibRows.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

namespace imgrove_detail {

using namespace dibrows;

// Reads from a span; every read past the end yields zero and marks the reader failed, so a
// decoder checks failed() once per step instead of before every byte.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> data, size_t start = 0)
        : data_(data), pos_(start <= data.size() ? start : data.size()), failed_(start > data.size())
    {
    }

    size_t pos() const { return pos_; }
    size_t left() const { return data_.size() - pos_; }
    bool failed() const { return failed_; }
    bool has(size_t n) const { return n <= left(); }

    uint8_t u8()
    {
        if (!has(1)) {
            failed_ = true;
            return 0;
        }
        return data_[pos_++];
    }
    uint16_t le16()
    {
        const uint8_t* p = take(2);
        return p ? uint16_t(p[0] | p[1] << 8) : 0;
    }
    uint32_t le32()
    {
        const uint8_t* p = take(4);
        return p ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24 : 0;
    }
    uint16_t be16()
    {
        const uint8_t* p = take(2);
        return p ? uint16_t(p[0] << 8 | p[1]) : 0;
    }
    uint32_t be32()
    {
        const uint8_t* p = take(4);
        return p ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]) : 0;
    }
    // Pointer to the next n bytes, or null (and failed) when fewer are left.
    const uint8_t* take(size_t n)
    {
        if (!has(n)) {
            failed_ = true;
            pos_ = data_.size();
            return nullptr;
        }
        const uint8_t* p = data_.data() + pos_;
        pos_ += n;
        return p;
    }
    void skip(size_t n) { take(n); }

private:
    std::span<const uint8_t> data_;
    size_t pos_;
    bool failed_;
};

inline void putLe16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void putLe32(std::vector<uint8_t>& out, uint32_t v)
{
    putLe16(out, v);
    putLe16(out, v >> 16);
}
inline void putBe16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
inline void putBe32(std::vector<uint8_t>& out, uint32_t v)
{
    putBe16(out, v >> 16);
    putBe16(out, v);
}
inline void setBe32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = uint8_t(v >> 24);
    out[at + 1] = uint8_t(v >> 16);
    out[at + 2] = uint8_t(v >> 8);
    out[at + 3] = uint8_t(v);
}

// What step returns, or failed when it runs out of memory on the way.
template <class Step, class Result = std::invoke_result_t<Step&>>
Result orWhenOutOfMemory(Result failed, Step&& step)
{
    try {
        return step();
    } catch (const std::bad_alloc&) {
        return failed;
    }
}

// The codec interface reports a shortage of memory as a failed read or write, never as an
// exception; a decoder's pictures are held by DibOwner, so nothing leaks on the way out.
template <Dib (*decode)(std::span<const uint8_t>)>
Dib decodeOrFail(std::span<const uint8_t> data)
{
    return orWhenOutOfMemory(Dib{}, [data] { return decode(data); });
}
template <bool (*encode)(const Dib&, std::vector<uint8_t>&)>
bool encodeOrFail(const Dib& dib, std::vector<uint8_t>& out)
{
    return orWhenOutOfMemory(false, [&] { return encode(dib, out); });
}

// What an encoder writes into its header before the pixels.
struct EncodedShape {
    int32_t width;
    int32_t height;
    int depth;
};

// Formats whose header holds each side in 16 bits take only pictures that fit: nothing for
// the others.
inline std::optional<EncodedShape> shapeWithin16BitSides(const Dib& dib)
{
    if (!hasPixels(dib) || widthOf(dib) > 0xFFFF || heightOf(dib) > 0xFFFF)
        return std::nullopt;
    return EncodedShape{widthOf(dib), heightOf(dib), depthOf(dib)};
}

// How many bytes from bytes[at] on repeat it, counting it: at least 1, at most limit, never
// past length.
inline size_t runLength(const uint8_t* bytes, size_t at, size_t length, size_t limit)
{
    size_t run = 1;
    while (at + run < length && run < limit && bytes[at + run] == bytes[at])
        ++run;
    return run;
}

// What a reader may allocate for a file of dataSize bytes, pictures and working buffers
// together: a picture of modest size whatever the file, and beyond that no more than the
// densest coding of any format can honestly describe with those bytes. A header claiming more
// is refused before anything is allocated.
constexpr uint64_t kReadBaseBytes = uint64_t(64) << 20;
constexpr uint64_t kReadBytesPerDataByte = 1100;
inline uint64_t readBudget(size_t dataSize)
{
    return kReadBaseBytes + kReadBytesPerDataByte * uint64_t(dataSize);
}
// Bytes of the pixel rows of a picture of that size and depth; 0 when the size is unusable.
inline uint64_t pictureBytes(int64_t width, int64_t height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        return 0;
    return uint64_t(dibRowSize(int32_t(width), bitsPerPixel)) * uint64_t(height);
}

// True when a picture of that size and depth stays within what a file of dataSize bytes may
// allocate. Every decoder asks this before it allocates, so a header that lies about the size
// costs nothing, whoever calls the decoder.
inline bool pictureFitsReadBudget(int64_t width, int64_t height, int bitsPerPixel, size_t dataSize)
{
    const uint64_t bytes = pictureBytes(width, height, bitsPerPixel);
    return bytes > 0 && bytes <= readBudget(dataSize);
}

// True when the picture's width times height stays within limit pixels.
inline bool pixelsWithin(int64_t width, int64_t height, int64_t limit)
{
    return width > 0 && height > 0 && width <= limit && height <= limit && width * height <= limit;
}

}  // namespace imgrove_detail
