// JPEG over libjpeg(-turbo). Errors leave the library through longjmp back into the one function
// that called setjmp; that function keeps everything it changes in a record owned by its
// caller, so nothing it needs after the jump lives in its own registers.
#include "imgrove/DibCodec.h"
#include "imgrove/LibCodecRows.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

namespace {

using namespace libcodec;

// Real progressive files have about ten scans; a crafted one with thousands would go over the
// whole picture once per scan. Small pictures may have up to kMaxScans; large ones as many as
// keep the work to about kMaxScanBlocks block visits, but never fewer than kMinScans.
constexpr int kMaxScans = 500;
constexpr int kMinScans = 32;
constexpr uint64_t kMaxScanBlocks = uint64_t(1) << 26;
constexpr int kQuality = 90;
// Bytes of one block of coefficients in the library's whole-picture store.
constexpr uint64_t kCoefficientBlockBytes = sizeof(JBLOCK);

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    bool dataEndedEarly = false;
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void silentMessage(j_common_ptr) {}

// Data that ends before the picture does is padded by the library with grey; that is a damaged
// file, not a picture. Other warnings (a stray byte before a marker) leave the picture whole.
void noteWarning(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    ++cinfo->err->num_warnings;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager*>(cinfo->err)->dataEndedEarly = true;
}

struct ScanLimit {
    jpeg_progress_mgr pub;
    int maxScans = kMaxScans;
};

void limitScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* limit = reinterpret_cast<const ScanLimit*>(cinfo->progress);
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > limit->maxScans)
        cinfo->err->error_exit(cinfo);
}

// Makes err the error manager of the struct whose err member is slot.
void installErrors(jpeg_error_mgr*& slot, ErrorManager& err)
{
    slot = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = silentMessage;
    err.pub.emit_message = noteWarning;
}

struct ReadState {
    std::span<const uint8_t> data;
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    ScanLimit progress{};
    bool created = false;
    Dib dib{};
};

uint64_t codedBlocks(const jpeg_decompress_struct& cinfo)
{
    uint64_t blocks = 0;
    for (int c = 0; c < cinfo.num_components; ++c)
        blocks += uint64_t(cinfo.comp_info[c].width_in_blocks) * cinfo.comp_info[c].height_in_blocks;
    return blocks;
}

// Every coded block of a Huffman-coded picture costs bits: in a sequential file at least two (a
// DC code and an end-of-block code), in a progressive one at least the one of its DC code in
// the first DC scan (the later scans can skip whole runs of blocks). A header whose blocks
// cannot fit in the file is a lie or a fragment. Arithmetic coding has no such floor; there
// only the memory budget holds.
bool blocksFitData(const jpeg_decompress_struct& cinfo, size_t dataSize)
{
    if (cinfo.arith_code)
        return true;
    const uint64_t blocksPerByte = cinfo.progressive_mode ? 8 : 4;
    return codedBlocks(cinfo) <= uint64_t(dataSize) * blocksPerByte;
}

// A progressive file, or one whose components come in separate scans, is gathered whole as
// coefficients before the first row comes out: one block store per component, padded to
// whole MCUs.
uint64_t coefficientStoreBytes(const jpeg_decompress_struct& cinfo)
{
    if (!cinfo.progressive_mode && cinfo.comps_in_scan >= cinfo.num_components)
        return 0;
    uint64_t blocks = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpeg_component_info& comp = cinfo.comp_info[c];
        const uint64_t h = uint64_t(std::max(comp.h_samp_factor, 1));
        const uint64_t v = uint64_t(std::max(comp.v_samp_factor, 1));
        blocks += (comp.width_in_blocks + h - 1) / h * h * ((comp.height_in_blocks + v - 1) / v * v);
    }
    return blocks * kCoefficientBlockBytes;
}

uint8_t cmykChannel(unsigned value, unsigned black, bool inverted)
{
    // Adobe writers store CMYK inverted (255 = no ink); others store ink amounts.
    if (!inverted) {
        value = 255 - value;
        black = 255 - black;
    }
    return uint8_t((value * black + 127) / 255);
}

bool readJpeg(ReadState& s)
{
    installErrors(s.cinfo.err, s.err);
    if (setjmp(s.err.jump))
        return false;
    jpeg_create_decompress(&s.cinfo);
    s.created = true;
    s.progress.pub.progress_monitor = limitScans;
    s.cinfo.progress = &s.progress.pub;
    jpeg_mem_src(&s.cinfo, s.data.data(), static_cast<unsigned long>(s.data.size()));
    if (jpeg_read_header(&s.cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (!blocksFitData(s.cinfo, s.data.size()))
        return false;

    const J_COLOR_SPACE source = s.cinfo.jpeg_color_space;
    const bool grey = source == JCS_GRAYSCALE;
    const bool cmyk = source == JCS_CMYK || source == JCS_YCCK;
    const int depth = grey ? 8 : 24;
    // Beside the picture and the coefficient store the library keeps a few rows of samples.
    const uint64_t rowBuffers = uint64_t(s.cinfo.image_width) * 64 * uint64_t(std::max(s.cinfo.num_components, 1));
    const uint64_t libraryBytes = coefficientStoreBytes(s.cinfo) + rowBuffers;
    if (!pictureFits(s.cinfo.image_width, s.cinfo.image_height, depth, libraryBytes, s.data.size()))
        return false;
    // The library itself is held to the same budget, whatever the estimate above missed.
    s.cinfo.mem->max_memory_to_use = long(std::min<uint64_t>(
        imgrove_detail::readBudget(s.data.size()) - imgrove_detail::pictureBytes(s.cinfo.image_width,
                                                                                  s.cinfo.image_height, depth),
        uint64_t(LONG_MAX)));
    s.progress.maxScans = int(std::clamp<uint64_t>(kMaxScanBlocks / std::max<uint64_t>(codedBlocks(s.cinfo), 1),
                                                   kMinScans, kMaxScans));

    s.cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&s.cinfo);
    if (s.err.dataEndedEarly)
        return false;

    const auto width = int32_t(s.cinfo.output_width);
    const auto height = int32_t(s.cinfo.output_height);
    s.dib = grey ? create(width, height, depth, greyRamp(256)) : create(width, height, depth, nullptr, 0);
    if (!s.dib.bits)
        return false;

    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*s.cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s.cinfo), JPOOL_IMAGE,
                                               JDIMENSION(width) * 4, 1);
    const bool inverted = s.cinfo.saw_Adobe_marker;
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        uint8_t* target = rowFromTop(s.dib, int32_t(s.cinfo.output_scanline));
        if (!cmyk) {
            JSAMPROW rows[1] = {target};
            if (jpeg_read_scanlines(&s.cinfo, rows, 1) != 1)
                return false;
            continue;
        }
        if (jpeg_read_scanlines(&s.cinfo, cmykRow, 1) != 1)
            return false;
        const uint8_t* p = cmykRow[0];
        for (int32_t x = 0; x < width; ++x, p += 4) {
            target[3 * x] = cmykChannel(p[2], p[3], inverted);
            target[3 * x + 1] = cmykChannel(p[1], p[3], inverted);
            target[3 * x + 2] = cmykChannel(p[0], p[3], inverted);
        }
    }
    jpeg_finish_decompress(&s.cinfo);
    if (s.err.dataEndedEarly)
        return false;

    double dpiX = 0, dpiY = 0;
    if (s.cinfo.density_unit == 1) {
        dpiX = s.cinfo.X_density;
        dpiY = s.cinfo.Y_density;
    } else if (s.cinfo.density_unit == 2) {
        dpiX = s.cinfo.X_density * 2.54;
        dpiY = s.cinfo.Y_density * 2.54;
    }
    s.dib.header->biXPelsPerMeter = dpiToPerMetre(dpiX);
    s.dib.header->biYPelsPerMeter = dpiToPerMetre(dpiY);
    return true;
}

bool sniffJpeg(std::span<const uint8_t> head)
{
    return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

Dib decodeJpeg(std::span<const uint8_t> data)
{
    if (!sniffJpeg(data))
        return Dib{};
    ReadState state;
    state.data = data;
    const bool ok = readJpeg(state);
    if (state.created)
        jpeg_destroy_decompress(&state.cinfo);
    if (!ok) {
        deldib(state.dib);
        return Dib{};
    }
    return state.dib;
}

// Writes straight into the caller's vector; the library's own memory destination may leave its
// buffer pointer dangling when an error strikes after the buffer grew.
struct VectorDestination {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* out;
    size_t start;
};

constexpr size_t kDestinationStep = 64 * 1024;

void initDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    try {
        dest->out->resize(dest->start + kDestinationStep);
    } catch (...) {
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    }
    dest->pub.next_output_byte = dest->out->data() + dest->start;
    dest->pub.free_in_buffer = kDestinationStep;
}

boolean emptyDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    const size_t used = dest->out->size();
    try {
        dest->out->resize(used + kDestinationStep);
    } catch (...) {
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    }
    dest->pub.next_output_byte = dest->out->data() + used;
    dest->pub.free_in_buffer = kDestinationStep;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->out->resize(dest->out->size() - dest->pub.free_in_buffer);
}

struct WriteState {
    const Dib* dib = nullptr;
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    VectorDestination dest{};
    bool created = false;
    std::vector<RGBQUAD> table;
    std::vector<uint8_t> indices;
    std::vector<uint8_t> scratch;
};

uint16_t densityFromPerMetre(int32_t perMetre)
{
    const double dpi = std::nearbyint(perMetreToDpi(perMetre));
    return dpi >= 1 && dpi <= 65535 ? uint16_t(dpi) : 0;
}

bool writeJpeg(WriteState& s)
{
    installErrors(s.cinfo.err, s.err);
    if (setjmp(s.err.jump))
        return false;
    jpeg_create_compress(&s.cinfo);
    s.created = true;
    s.dest.pub.init_destination = initDestination;
    s.dest.pub.empty_output_buffer = emptyDestination;
    s.dest.pub.term_destination = termDestination;
    s.cinfo.dest = &s.dest.pub;

    const Dib& dib = *s.dib;
    const int32_t width = dib.header->biWidth;
    const int32_t height = dib.header->biHeight;
    const int depth = dib.header->biBitCount;
    if (depth != 24)
        s.table = colors(dib);
    const std::vector<RGBQUAD>& table = s.table;
    // A palette of greys loses nothing as a grey JPEG, which is a third of the size.
    const bool grey = depth != 24 && allGrey(table);
    s.cinfo.image_width = JDIMENSION(width);
    s.cinfo.image_height = JDIMENSION(height);
    s.cinfo.input_components = grey ? 1 : 3;
    // 24-bit rows go in as they lie in the picture; colour palette rows are expanded to RGB.
    s.cinfo.in_color_space = grey ? JCS_GRAYSCALE : depth == 24 ? JCS_EXT_BGR : JCS_RGB;
    jpeg_set_defaults(&s.cinfo);
    jpeg_set_quality(&s.cinfo, kQuality, TRUE);
    const uint16_t dpiX = densityFromPerMetre(dib.header->biXPelsPerMeter);
    const uint16_t dpiY = densityFromPerMetre(dib.header->biYPelsPerMeter);
    if (dpiX && dpiY) {
        s.cinfo.density_unit = 1;
        s.cinfo.X_density = dpiX;
        s.cinfo.Y_density = dpiY;
    }
    jpeg_start_compress(&s.cinfo, TRUE);

    s.scratch.resize(size_t(width) * 3);
    s.indices.resize(size_t(width));
    while (s.cinfo.next_scanline < s.cinfo.image_height) {
        const auto y = int32_t(s.cinfo.next_scanline);
        JSAMPROW rows[1];
        if (depth == 24) {
            rows[0] = rowFromTop(dib, y);
        } else if (grey) {
            unpackIndices(rowFromTop(dib, y), width, depth, s.indices.data());
            for (int32_t x = 0; x < width; ++x)
                s.scratch[size_t(x)] = table[s.indices[size_t(x)]].rgbRed;
            rows[0] = s.scratch.data();
        } else {
            imgrove_detail::rowToRgb(dib, y, s.scratch.data());
            rows[0] = s.scratch.data();
        }
        jpeg_write_scanlines(&s.cinfo, rows, 1);
    }
    jpeg_finish_compress(&s.cinfo);
    return true;
}

bool encodeJpeg(const Dib& dib, std::vector<uint8_t>& out)
{
    if (!imgrove_detail::hasPixels(dib) || dib.header->biWidth > JPEG_MAX_DIMENSION ||
        dib.header->biHeight > JPEG_MAX_DIMENSION)
        return false;
    WriteState state;
    state.dib = &dib;
    state.dest.out = &out;
    state.dest.start = out.size();
    const bool ok = imgrove_detail::orWhenOutOfMemory(false, [&state] { return writeJpeg(state); });
    if (state.created)
        jpeg_destroy_compress(&state.cinfo);
    if (!ok)
        out.resize(state.dest.start);
    return ok;
}

}  // namespace

const DibCodec kJpgCodec{"jpg", sniffJpeg, decodeJpeg, encodeJpeg};
const DibCodec kJifCodec{"jif", sniffJpeg, decodeJpeg, encodeJpeg};
