// IFF interleaved bitmaps ("iff" and "lbm" alike).
//
// Read: FORM ILBM with 1..8 bitplanes and CMAP (without one, a grey ramp), extra-half-brite
// palettes, a mask plane (skipped), 24- and 32-bit deep ILBM (24 bits); FORM PBM chunky 8 bits;
// hold-and-modify pictures of 6 and 8 planes (24 bits); raw or ByteRun1 bodies.
// Written as ILBM with ByteRun1, by the picture's depth:
//   picture     1          4           8           24
//   iff, lbm    1 plane    4 planes    8 planes    24 planes (deep ILBM, no CMAP)
#include "imgrove/CodecSupport.h"
#include "imgrove/DibCodec.h"

#include <algorithm>

using namespace imgrove_detail;

namespace {

constexpr uint32_t kCamgHam = 0x800;
constexpr uint32_t kCamgHalfBrite = 0x80;

bool hasId(std::span<const uint8_t> data, size_t at, const char* id)
{
    return data.size() >= at + 4 && std::memcmp(data.data() + at, id, 4) == 0;
}

bool sniffIff(std::span<const uint8_t> head)
{
    return hasId(head, 0, "FORM") && (hasId(head, 8, "ILBM") || hasId(head, 8, "PBM "));
}

// ByteRun1 as one stream: a literal or a run may continue into the next row.
class ByteRun1 {
public:
    ByteRun1(Reader& reader, bool compressed) : r_(reader), compressed_(compressed) {}

    bool read(uint8_t* out, size_t count)
    {
        if (!compressed_) {
            const uint8_t* p = r_.take(count);
            if (!p)
                return false;
            std::memcpy(out, p, count);
            return true;
        }
        size_t i = 0;
        while (i < count) {
            if (literal_ == 0 && run_ == 0) {
                const int8_t n = int8_t(r_.u8());
                if (n >= 0) {
                    literal_ = size_t(n) + 1;
                } else if (n != -128) {
                    run_ = size_t(1 - n);
                    value_ = r_.u8();
                }
                if (r_.failed())
                    return false;
                continue;
            }
            if (literal_ > 0) {
                const size_t n = std::min(literal_, count - i);
                const uint8_t* p = r_.take(n);
                if (!p)
                    return false;
                std::memcpy(out + i, p, n);
                literal_ -= n;
                i += n;
            } else {
                const size_t n = std::min(run_, count - i);
                std::memset(out + i, value_, n);
                run_ -= n;
                i += n;
            }
        }
        return true;
    }

private:
    Reader& r_;
    bool compressed_;
    size_t literal_ = 0;
    size_t run_ = 0;
    uint8_t value_ = 0;
};

struct Bmhd {
    int width = 0;
    int height = 0;
    int planes = 0;
    int masking = 0;
    int compression = 0;
};

// The chunks a picture needs, as found up to its BODY.
struct IffChunks {
    Bmhd bmhd;
    bool haveBmhd = false;
    std::vector<RGBQUAD> cmap;
    uint32_t camg = 0;
    std::span<const uint8_t> body;
    bool haveBody = false;
};

// Reads the chunks of the FORM up to BODY; false when a chunk runs past the form.
bool readChunks(std::span<const uint8_t> data, IffChunks& chunks)
{
    Reader form(data, 4);
    const uint64_t formEnd = std::min<uint64_t>(uint64_t(form.be32()) + 8, data.size());
    Reader r(data.first(size_t(formEnd)), 12);
    while (!chunks.haveBody && r.has(8)) {
        const uint8_t* id = r.take(4);
        const uint32_t size = r.be32();
        const uint8_t* chunk = r.take(size);
        if (!chunk)
            return false;
        r.skip(size & 1);
        Reader c(std::span(chunk, size));
        if (std::memcmp(id, "BMHD", 4) == 0 && size >= 20) {
            chunks.bmhd.width = c.be16();
            chunks.bmhd.height = c.be16();
            c.skip(4);
            chunks.bmhd.planes = c.u8();
            chunks.bmhd.masking = c.u8();
            chunks.bmhd.compression = c.u8();
            chunks.haveBmhd = true;
        } else if (std::memcmp(id, "CMAP", 4) == 0) {
            chunks.cmap.clear();
            for (uint32_t i = 0; i + 3 <= size && chunks.cmap.size() < 256; i += 3)
                chunks.cmap.push_back(RGBQUAD{chunk[i + 2], chunk[i + 1], chunk[i], 0});
        } else if (std::memcmp(id, "CAMG", 4) == 0 && size >= 4) {
            chunks.camg = c.be32();
        } else if (std::memcmp(id, "BODY", 4) == 0) {
            chunks.body = std::span(chunk, size);
            chunks.haveBody = true;
        }
    }
    return true;
}

// The depth of the Dib for that many planes; 0 when the program reads no such picture.
int depthFor(int planes, bool ham, bool chunky)
{
    if (ham)
        return planes == 6 || planes == 8 ? 24 : 0;
    if (chunky)
        return planes == 8 ? 8 : 0;
    if (planes == 1)
        return 1;
    if (planes >= 2 && planes <= 4)
        return 4;
    if (planes >= 5 && planes <= 8)
        return 8;
    return planes == 24 || planes == 32 ? 24 : 0;
}

// The colour table: the CMAP (with the darker half of extra-half-brite pictures), or grey
// levels when the file has none.
void fillTable(const IffChunks& chunks, int planes, bool ham, int depth, RGBQUAD (&table)[256])
{
    const int colors = ham ? 1 << (planes - 2) : depth == 24 ? 0 : 1 << std::min(planes, 8);
    if (colors == 0)
        return;
    if (chunks.cmap.empty()) {
        for (int i = 0; i < colors; ++i) {
            const uint8_t v = uint8_t(i * 255 / (colors - 1));
            table[i] = RGBQUAD{v, v, v, 0};
        }
        return;
    }
    std::copy(chunks.cmap.begin(), chunks.cmap.end(), table);
    if ((chunks.camg & kCamgHalfBrite) && planes == 6)
        for (int i = 0; i < 32; ++i)
            table[32 + i] = RGBQUAD{uint8_t(table[i].rgbBlue >> 1), uint8_t(table[i].rgbGreen >> 1),
                                    uint8_t(table[i].rgbRed >> 1), 0};
}

// One row of bit planes into a row of the Dib.
void planarRowToDib(const uint8_t* row, size_t planeBytes, int planes, bool ham, int depth, const RGBQUAD* table,
                    int32_t width, uint8_t* out)
{
    // Hold-and-modify: each pixel takes a palette colour or changes one channel of its left
    // neighbour; a row starts from colour 0.
    uint8_t held[3] = {table[0].rgbRed, table[0].rgbGreen, table[0].rgbBlue};
    const int dataBits = planes - 2;
    for (int32_t x = 0; x < width; ++x) {
        const size_t byte = size_t(x >> 3);
        const int shift = 7 - (x & 7);
        auto bitOf = [&](int plane) { return uint32_t((row[size_t(plane) * planeBytes + byte] >> shift) & 1); };
        if (ham) {
            uint32_t value = 0;
            for (int p = 0; p < dataBits; ++p)
                value |= bitOf(p) << p;
            const uint32_t mode = bitOf(dataBits) | bitOf(dataBits + 1) << 1;
            if (mode == 0) {
                held[0] = table[value].rgbRed;
                held[1] = table[value].rgbGreen;
                held[2] = table[value].rgbBlue;
            } else {
                // The new bits replace the top of the channel and its low bits stay, as the
                // display hardware does with 8-bit colour registers.
                uint8_t& channel = held[mode == 1 ? 2 : mode == 2 ? 0 : 1];
                const int lowBits = 8 - dataBits;
                channel = uint8_t(value << lowBits | (channel & ((1u << lowBits) - 1)));
            }
            out[3 * x] = held[2];
            out[3 * x + 1] = held[1];
            out[3 * x + 2] = held[0];
        } else if (depth == 24) {
            for (int c = 0; c < 3; ++c) {
                uint32_t v = 0;
                for (int b = 0; b < 8; ++b)
                    v |= bitOf(c * 8 + b) << b;
                out[3 * x + 2 - c] = uint8_t(v);
            }
        } else {
            uint32_t index = 0;
            for (int p = 0; p < planes; ++p)
                index |= bitOf(p) << p;
            putIndex(out, x, depth, index);
        }
    }
}

// May throw std::bad_alloc; the codec table wraps it in decodeOrFail.
Dib decodeIffMayThrow(std::span<const uint8_t> data)
{
    if (!sniffIff(data))
        return Dib{};
    const bool chunky = hasId(data, 8, "PBM ");
    IffChunks chunks;
    if (!readChunks(data, chunks))
        return Dib{};
    const Bmhd& bmhd = chunks.bmhd;
    if (!chunks.haveBmhd || !chunks.haveBody || bmhd.width == 0 || bmhd.height == 0 || bmhd.compression > 1)
        return Dib{};
    const int planes = bmhd.planes;
    const bool ham = (chunks.camg & kCamgHam) != 0 && !chunky;
    const int depth = depthFor(planes, ham, chunky);
    if (depth == 0)
        return Dib{};

    const size_t planeBytes = chunky ? size_t(bmhd.width + (bmhd.width & 1)) : size_t((bmhd.width + 15) / 16 * 2);
    const int storedPlanes = chunky ? 1 : planes + (bmhd.masking == 1 ? 1 : 0);
    const size_t rowBytes = planeBytes * size_t(storedPlanes);
    const uint64_t total = uint64_t(rowBytes) * uint64_t(bmhd.height);
    // A two-byte run stands for 128 bytes at most.
    if (bmhd.compression == 1 ? total > uint64_t(chunks.body.size()) * 64 + 128 : total > chunks.body.size())
        return Dib{};

    RGBQUAD table[256] = {};
    fillTable(chunks, planes, ham, depth, table);
    if (!pictureFitsReadBudget(bmhd.width, bmhd.height, depth, data.size()))
        return Dib{};
    DibOwner dib(makeDib(bmhd.width, bmhd.height, depth, depth == 24 ? nullptr : table,
                         depth == 24 ? 0 : dibTableSize(depth)));
    if (!dib)
        return Dib{};

    Reader bodyReader(chunks.body);
    ByteRun1 decoder(bodyReader, bmhd.compression == 1);
    std::vector<uint8_t> row(rowBytes);
    for (int32_t y = 0; y < bmhd.height; ++y) {
        if (!decoder.read(row.data(), rowBytes))
            return Dib{};
        uint8_t* out = rowFromTop(dib.get(), y);
        if (chunky)
            std::memcpy(out, row.data(), size_t(bmhd.width));
        else
            planarRowToDib(row.data(), planeBytes, planes, ham, depth, table, bmhd.width, out);
    }
    return dib.release();
}

void encodeByteRun1(const uint8_t* row, size_t length, std::vector<uint8_t>& out)
{
    size_t i = 0;
    while (i < length) {
        const size_t run = runLength(row, i, length, 128);
        if (run >= 3) {
            out.push_back(uint8_t(257 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        size_t end = i;
        while (end < length && end - i < 128 && !(end + 2 < length && row[end] == row[end + 1] && row[end] == row[end + 2]))
            ++end;
        out.push_back(uint8_t(end - i - 1));
        out.insert(out.end(), row + i, row + end);
        i = end;
    }
}

void beginChunk(std::vector<uint8_t>& out, const char* id, size_t& sizeAt)
{
    out.insert(out.end(), id, id + 4);
    sizeAt = out.size();
    putBe32(out, 0);
}

void endChunk(std::vector<uint8_t>& out, size_t sizeAt)
{
    setBe32(out, sizeAt, uint32_t(out.size() - sizeAt - 4));
    if (out.size() & 1)
        out.push_back(0);
}

bool encodeIffMayThrow(const Dib& dib, std::vector<uint8_t>& out)
{
    const std::optional<EncodedShape> shape = shapeWithin16BitSides(dib);
    if (!shape)
        return false;
    const auto [width, height, depth] = *shape;
    const int planes = depth;
    const size_t start = out.size();
    size_t formSize = 0;
    beginChunk(out, "FORM", formSize);
    out.insert(out.end(), {'I', 'L', 'B', 'M'});

    size_t at = 0;
    beginChunk(out, "BMHD", at);
    putBe16(out, uint32_t(width));
    putBe16(out, uint32_t(height));
    putBe32(out, 0);
    out.push_back(uint8_t(planes));
    out.push_back(0);  // no mask
    out.push_back(1);  // ByteRun1
    out.push_back(0);
    putBe16(out, 0);
    out.push_back(1);
    out.push_back(1);
    putBe16(out, uint32_t(width));
    putBe16(out, uint32_t(height));
    endChunk(out, at);

    if (depth != 24) {
        beginChunk(out, "CMAP", at);
        const RGBQUAD* table = dibColors(dib);
        for (int i = 0; i < dibTableSize(depth); ++i)
            out.insert(out.end(), {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue});
        endChunk(out, at);
    }

    beginChunk(out, "BODY", at);
    const size_t planeBytes = size_t((width + 15) / 16 * 2);
    std::vector<uint8_t> plane(planeBytes);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = rowFromTop(dib, y);
        for (int p = 0; p < planes; ++p) {
            std::fill(plane.begin(), plane.end(), 0);
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t value = depth == 24 ? in[3 * x + 2 - p / 8] >> (p % 8) : indexAt(in, x, depth) >> p;
                if (value & 1)
                    plane[size_t(x >> 3)] |= uint8_t(0x80u >> (x & 7));
            }
            encodeByteRun1(plane.data(), planeBytes, out);
        }
    }
    endChunk(out, at);
    if (out.size() - start > 0xFFFFFFFFu)
        return false;
    setBe32(out, formSize, uint32_t(out.size() - formSize - 4));
    return true;
}

}  // namespace

const DibCodec kIffCodec{"iff", sniffIff, decodeOrFail<decodeIffMayThrow>, encodeOrFail<encodeIffMayThrow>};
const DibCodec kLbmCodec{"lbm", sniffIff, decodeOrFail<decodeIffMayThrow>, encodeOrFail<encodeIffMayThrow>};
