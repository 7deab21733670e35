#include "document/FormFile.h"

#include "document/FormExtension.h"
#include "imgrove/DibFiles.h"
#include "imgrove/FileReplacement.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr int32_t kInfoHeaderSize = 40;

// The fewest bytes a block can take, used to refuse counts the rest of the file cannot hold
// before anything is reserved for them: texts take at least their zero byte.
constexpr uint64_t kMinFieldBlock = 1 + 16 + 4 + 4 + 1 + 1 + 4 + 1 + 4 + 4 + 4 + 4;
constexpr uint64_t kMinEntryBlock = kMinFieldBlock + 1;
constexpr uint64_t kMinRecordBlock = 4;

// ---------------------------------------------------------------------------------------------
// Reading

// Bytes of a file or of memory, with the number still unread always known, so that no count
// or size is believed beyond what is left.
class ByteSource {
public:
    ByteSource(const uint8_t* data, size_t size) : cur_(data), end_(data + size) {}
    ByteSource(std::FILE* file, uint64_t size) : file_(file), fileLeft_(size), buffer_(kBufferSize)
    {
        cur_ = end_ = buffer_.data();
    }

    uint64_t remaining() const { return static_cast<uint64_t>(end_ - cur_) + fileLeft_; }

    bool read(void* destination, size_t count)
    {
        if (count > remaining())
            return false;
        auto* out = static_cast<uint8_t*>(destination);
        while (count > 0) {
            if (cur_ == end_) {
                // Large blocks (pixel rows) go straight into their destination.
                if (file_ && count >= buffer_.size())
                    return readDirect(out, count);
                if (!refill())
                    return false;
            }
            const size_t take = std::min(count, static_cast<size_t>(end_ - cur_));
            std::memcpy(out, cur_, take);
            cur_ += take;
            out += take;
            count -= take;
        }
        return true;
    }

    bool readText(std::string& text)
    {
        text.clear();
        for (;;) {
            if (cur_ == end_ && !refill())
                return false;
            const auto* zero = static_cast<const uint8_t*>(std::memchr(cur_, 0, static_cast<size_t>(end_ - cur_)));
            if (zero) {
                text.append(reinterpret_cast<const char*>(cur_), static_cast<size_t>(zero - cur_));
                cur_ = zero + 1;
                return true;
            }
            text.append(reinterpret_cast<const char*>(cur_), static_cast<size_t>(end_ - cur_));
            cur_ = end_;
        }
    }

    bool readI32(int32_t& value)
    {
        uint8_t b[4];
        if (!read(b, 4))
            return false;
        value = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
        return true;
    }

    bool readU8(uint8_t& value) { return read(&value, 1); }

    // Non-finite numbers are refused: the program never writes them and nothing downstream
    // could place a field by them.
    bool readDouble(double& value)
    {
        uint8_t b[8];
        if (!read(b, 8))
            return false;
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = bits << 8 | b[i];
        value = std::bit_cast<double>(bits);
        return std::isfinite(value);
    }

    // A count that is negative or larger than the rest of the file can hold is refused.
    bool readCount(int32_t& count, uint64_t minBlock)
    {
        if (!readI32(count) || count < 0)
            return false;
        return static_cast<uint64_t>(count) <= remaining() / minBlock;
    }

private:
    static constexpr size_t kBufferSize = 64 * 1024;

    bool refill()
    {
        if (!file_ || fileLeft_ == 0)
            return false;
        const size_t want = static_cast<size_t>(std::min<uint64_t>(fileLeft_, buffer_.size()));
        const size_t got = std::fread(buffer_.data(), 1, want, file_);
        if (got != want)
            return false;
        fileLeft_ -= got;
        cur_ = buffer_.data();
        end_ = cur_ + got;
        return true;
    }

    bool readDirect(uint8_t* out, size_t count)
    {
        if (std::fread(out, 1, count, file_) != count)
            return false;
        fileLeft_ -= count;
        return true;
    }

    const uint8_t* cur_ = nullptr;
    const uint8_t* end_ = nullptr;
    std::FILE* file_ = nullptr;
    uint64_t fileLeft_ = 0;
    std::vector<uint8_t> buffer_;
};

// Items 2 to 12 of a field block, shared by fields and record entries.
bool readItemBlock(ByteSource& in, EntryLayout& item)
{
    int32_t color = 0;
    int32_t height = 0;
    int32_t size = 0;
    if (!in.readText(item.name) || !in.readI32(item.left) || !in.readI32(item.top) || !in.readI32(item.right)
        || !in.readI32(item.bottom) || !in.readI32(color) || !in.readI32(height))
        return false;
    item.font.color = color;
    item.font.setHeight(height);
    if (!in.readText(item.font.faceName) || !in.readU8(item.font.pitch) || !in.readI32(size))
        return false;
    // The size is set after the height, so the height always follows the size.
    item.font.setSize(size);
    return in.readU8(item.font.style) && in.readI32(item.reserved2) && in.readI32(item.reserved1)
           && in.readI32(item.multiLine) && in.readI32(item.alignment);
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

FormReadStatus readPicture(ByteSource& in, DibOwner& result, const FormFileProgress& progress)
{
    int32_t headerSize = 0;
    int32_t colorCount = 0;
    if (!in.readI32(headerSize) || !in.readI32(colorCount))
        return FormReadStatus::Malformed;
    if (headerSize < kInfoHeaderSize || static_cast<uint64_t>(headerSize) > in.remaining() || colorCount < 0
        || colorCount > (headerSize - kInfoHeaderSize) / 4)
        return FormReadStatus::Malformed;

    // Only the header and the colours the count names are kept; whatever else the block holds
    // is skipped in small steps rather than held.
    uint8_t rawHeader[kInfoHeaderSize];
    if (!in.read(rawHeader, sizeof rawHeader))
        return FormReadStatus::Malformed;
    BITMAPINFOHEADER info{};
    info.biSize = le32(rawHeader);
    info.biWidth = static_cast<int32_t>(le32(rawHeader + 4));
    info.biHeight = static_cast<int32_t>(le32(rawHeader + 8));
    info.biPlanes = le16(rawHeader + 12);
    info.biBitCount = le16(rawHeader + 14);
    info.biCompression = le32(rawHeader + 16);
    info.biSizeImage = le32(rawHeader + 20);
    info.biXPelsPerMeter = static_cast<int32_t>(le32(rawHeader + 24));
    info.biYPelsPerMeter = static_cast<int32_t>(le32(rawHeader + 28));
    info.biClrUsed = le32(rawHeader + 32);
    info.biClrImportant = le32(rawHeader + 36);

    const int bits = info.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return FormReadStatus::Malformed;
    if (info.biWidth <= 0 || info.biHeight <= 0)
        return FormReadStatus::Malformed;

    // The header block with its colour table, laid out as newdib expects it.
    const size_t tableBytes = static_cast<size_t>(colorCount) * sizeof(RGBQUAD);
    std::vector<uint32_t> block((sizeof(BITMAPINFOHEADER) + tableBytes + 3) / 4);
    std::memcpy(block.data(), &info, sizeof info);
    if (!in.read(reinterpret_cast<uint8_t*>(block.data()) + sizeof info, tableBytes))
        return FormReadStatus::Malformed;
    uint64_t extra = static_cast<uint64_t>(headerSize) - kInfoHeaderSize - tableBytes;
    uint8_t scratch[256];
    while (extra > 0) {
        const size_t step = static_cast<size_t>(std::min<uint64_t>(extra, sizeof scratch));
        if (!in.read(scratch, step))
            return FormReadStatus::Malformed;
        extra -= step;
    }

    const int32_t rowSize = dibRowSize(info.biWidth, bits);
    if (rowSize <= 0)
        return FormReadStatus::Malformed;
    const uint64_t pixelBytes = static_cast<uint64_t>(rowSize) * static_cast<uint64_t>(info.biHeight);
    if (pixelBytes > in.remaining())
        return FormReadStatus::Malformed;

    // A count beyond what the depth carries would name colours the picture has no room for.
    const int usedColors = std::min(colorCount, dibTableSize(bits));
    DibOwner picture(newdib(info.biWidth, info.biHeight, bits, reinterpret_cast<const BITMAPINFOHEADER*>(block.data()),
                            usedColors));
    if (!picture || !picture.get().header || picture.get().rowSize != rowSize)
        return FormReadStatus::NoPicture;
    picture.get().header->biXPelsPerMeter = info.biXPelsPerMeter;
    picture.get().header->biYPelsPerMeter = info.biYPelsPerMeter;

    const int32_t height = info.biHeight;
    if (progress)
        progress(0);
    uint8_t* bitsOut = picture.get().bits;
    int32_t row = 0;
    while (row < height) {
        // Rows lie one after another in memory, so every run of rows that shares one percentage
        // is read at once; the caller still sees every percentage a row-by-row read reports.
        const int percent = rowPercent(row, height);
        int32_t last = row;
        while (last + 1 < height && rowPercent(last + 1, height) == percent)
            ++last;
        if (progress)
            progress(percent);
        const size_t bytes = static_cast<size_t>(last - row + 1) * static_cast<size_t>(rowSize);
        if (!in.read(bitsOut + static_cast<size_t>(row) * static_cast<size_t>(rowSize), bytes)) {
            if (progress)
                progress(0);
            return FormReadStatus::Malformed;
        }
        row = last + 1;
    }
    if (progress)
        progress(0);
    result = std::move(picture);
    return FormReadStatus::Ok;
}

// Whatever follows the rows is the extension block or nothing this program knows; a damaged
// block leaves content empty and the form opens all the same.
void readExtension(ByteSource& in, ExtensionContent& content)
{
    std::vector<uint8_t> rest(sizeof kExtensionMagic);
    if (!in.read(rest.data(), rest.size()) || !startsExtensionBlock(rest.data(), rest.size()))
        return;
    rest.resize(rest.size() + static_cast<size_t>(in.remaining()));
    if (in.read(rest.data() + sizeof kExtensionMagic, rest.size() - sizeof kExtensionMagic))
        readExtensionBlock(rest.data(), rest.size(), content);
}

FormReadStatus readForm(ByteSource& in, FormDocument& document, const FormFileProgress& progress)
{
    int32_t magic = 0;
    if (!in.readI32(magic))
        return FormReadStatus::Malformed;
    if (magic != kFormFileMagic)
        return FormReadStatus::WrongMagic;

    // Everything the file holds is read into a document of its own, which replaces the open
    // one only when the whole file was read.
    FormDocument form;
    if (!in.readI32(form.FirstPoint.x) || !in.readI32(form.FirstPoint.y) || !in.readI32(form.SecondPoint.x)
        || !in.readI32(form.SecondPoint.y) || !in.readDouble(form.FirstPointMm.x) || !in.readDouble(form.FirstPointMm.y)
        || !in.readDouble(form.SecondPointMm.x) || !in.readDouble(form.SecondPointMm.y)
        || !in.readDouble(form.PrintShiftMm.x) || !in.readDouble(form.PrintShiftMm.y))
        return FormReadStatus::Malformed;

    int32_t fieldCount = 0;
    if (!in.readCount(fieldCount, kMinFieldBlock))
        return FormReadStatus::Malformed;
    form.fields.resize(static_cast<size_t>(fieldCount));
    for (FormField& field : form.fields)
        if (!readItemBlock(in, field))
            return FormReadStatus::Malformed;

    int32_t recordCount = 0;
    if (!in.readCount(recordCount, kMinRecordBlock))
        return FormReadStatus::Malformed;
    form.records.reserve(static_cast<size_t>(recordCount));
    std::vector<EntryLayout> layouts;
    std::vector<std::string> values;
    for (int32_t r = 0; r < recordCount; ++r) {
        int32_t entryCount = 0;
        if (!in.readCount(entryCount, kMinEntryBlock))
            return FormReadStatus::Malformed;
        layouts.resize(static_cast<size_t>(entryCount));
        values.resize(static_cast<size_t>(entryCount));
        for (size_t i = 0; i < layouts.size(); ++i)
            if (!readItemBlock(in, layouts[i]) || !in.readText(values[i]))
                return FormReadStatus::Malformed;
        // Records saved from one template repeat its layouts; they share them again.
        const bool sameAsLast = !form.records.empty() && form.records.back().layouts() == layouts;
        FormRecord record = sameAsLast ? form.records.back().withoutValues() : FormRecord(layouts);
        for (size_t i = 0; i < values.size(); ++i)
            // An empty text is how an absent value is stored; it reads back absent.
            if (!values[i].empty())
                record.setValue(i, std::move(values[i]));
        form.records.push_back(std::move(record));
    }

    const FormReadStatus pictureStatus = readPicture(in, form.picture, progress);
    if (pictureStatus != FormReadStatus::Ok)
        return pictureStatus;
    ExtensionContent extension;
    readExtension(in, extension);
    form.originalPdf = std::move(extension.originalPdf);
    form.otherChunks = std::move(extension.otherChunks);
    document = std::move(form);
    return FormReadStatus::Ok;
}

// ---------------------------------------------------------------------------------------------
// Writing

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const void* data, size_t count) = 0;

    void writeI32(int32_t value)
    {
        const auto u = static_cast<uint32_t>(value);
        const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
        write(b, 4);
    }
    void writeU16(uint16_t value)
    {
        const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
        write(b, 2);
    }
    void writeU8(uint8_t value) { write(&value, 1); }
    void writeDouble(double value)
    {
        const auto bits = std::bit_cast<uint64_t>(value);
        uint8_t b[8];
        for (int i = 0; i < 8; ++i)
            b[i] = uint8_t(bits >> (8 * i));
        write(b, 8);
    }
    void writePoint(PointI point)
    {
        writeI32(point.x);
        writeI32(point.y);
    }
    void writePoint(PointD point)
    {
        writeDouble(point.x);
        writeDouble(point.y);
    }
    // A text ends at its first zero byte: the format has no way to hold one inside a text.
    void writeText(const std::string& text) { write(text.c_str(), std::strlen(text.c_str()) + 1); }
};

class VectorSink : public ByteSink {
public:
    void write(const void* data, size_t count) override
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + count);
    }
    std::vector<uint8_t> bytes;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(FileReplacement& file) : file_(file) {}
    void write(const void* data, size_t count) override { file_.write(data, count); }

private:
    FileReplacement& file_;
};

void writeItemBlock(ByteSink& out, const EntryLayout& item)
{
    out.writeText(item.name);
    out.writeI32(item.left);
    out.writeI32(item.top);
    out.writeI32(item.right);
    out.writeI32(item.bottom);
    out.writeI32(item.font.color);
    out.writeI32(item.font.height);
    out.writeText(item.font.faceName);
    out.writeU8(item.font.pitch);
    out.writeI32(item.font.size);
    out.writeU8(item.font.style);
    out.writeI32(item.reserved2);
    out.writeI32(item.reserved1);
    out.writeI32(item.multiLine);
    out.writeI32(item.alignment);
}

void writeForm(ByteSink& out, const FormDocument& document, const FormFileProgress& progress)
{
    out.writeI32(kFormFileMagic);
    out.writePoint(document.FirstPoint);
    out.writePoint(document.SecondPoint);
    out.writePoint(document.FirstPointMm);
    out.writePoint(document.SecondPointMm);
    out.writePoint(document.PrintShiftMm);

    out.writeI32(static_cast<int32_t>(document.fields.size()));
    for (const FormField& field : document.fields)
        writeItemBlock(out, field);

    out.writeI32(static_cast<int32_t>(document.records.size()));
    for (const FormRecord& record : document.records) {
        out.writeI32(static_cast<int32_t>(record.size()));
        for (size_t i = 0; i < record.size(); ++i) {
            writeItemBlock(out, record.layout(i));
            out.writeText(record.value(i).value_or(std::string()));
        }
    }

    const Dib& dib = document.picture.get();
    const BITMAPINFOHEADER& info = *dib.header;
    const int colors = dibTableSize(info.biBitCount);
    out.writeI32(kInfoHeaderSize + 4 * colors);
    out.writeI32(colors);
    out.writeI32(kInfoHeaderSize);
    out.writeI32(info.biWidth);
    out.writeI32(info.biHeight);
    out.writeU16(info.biPlanes);
    out.writeU16(info.biBitCount);
    out.writeI32(static_cast<int32_t>(info.biCompression));
    out.writeI32(static_cast<int32_t>(info.biSizeImage));
    out.writeI32(info.biXPelsPerMeter);
    out.writeI32(info.biYPelsPerMeter);
    out.writeI32(static_cast<int32_t>(info.biClrUsed));
    out.writeI32(static_cast<int32_t>(info.biClrImportant));
    out.write(dibColors(dib), static_cast<size_t>(colors) * sizeof(RGBQUAD));

    const int32_t height = info.biHeight;
    const size_t rowSize = static_cast<size_t>(dib.rowSize);
    if (progress)
        progress(0);
    int32_t row = 0;
    while (row < height) {
        const int percent = rowPercent(row, height);
        int32_t end = row + 1;
        while (end < height && rowPercent(end, height) == percent)
            ++end;
        if (progress)
            progress(percent);
        out.write(dib.bits + static_cast<size_t>(row) * rowSize, static_cast<size_t>(end - row) * rowSize);
        row = end;
    }
    if (progress)
        progress(0);
    const std::vector<uint8_t> extension = extensionBlockBytes(document);
    out.write(extension.data(), extension.size());
}

bool documentIsWritable(const FormDocument& document)
{
    const Dib& dib = document.picture.get();
    if (!dib.header || !dib.bits)
        return false;
    // A chunk's length is a uint32.
    if (document.originalPdf && document.originalPdf->bytes.size() > UINT32_MAX - 4)
        return false;
    const int bits = dib.header->biBitCount;
    return (bits == 1 || bits == 4 || bits == 8 || bits == 24) && dib.header->biWidth > 0 && dib.header->biHeight > 0
           && dib.rowSize == dibRowSize(dib.header->biWidth, bits);
}

} // namespace

FormReadStatus readFormBytes(const uint8_t* data, size_t size, FormDocument& document,
                             const FormFileProgress& progress)
{
    ByteSource in(data, size);
    return readForm(in, document, progress);
}

FormReadStatus readFormFile(const std::string& fileName, FormDocument& document, const FormFileProgress& progress)
{
    const std::filesystem::path path(fileName);
    std::error_code error;
    // Anything but a plain file (a folder, a pipe, a device) could block or never end.
    if (!std::filesystem::is_regular_file(path, error))
        return FormReadStatus::CannotOpen;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return FormReadStatus::CannotOpen;
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file)
        return FormReadStatus::CannotOpen;
    ByteSource in(file, size);
    const FormReadStatus status = readForm(in, document, progress);
    std::fclose(file);
    return status;
}

std::vector<uint8_t> formFileBytes(const FormDocument& document)
{
    VectorSink sink;
    if (documentIsWritable(document))
        writeForm(sink, document, {});
    return std::move(sink.bytes);
}

WriteResult writeFormFile(const std::string& fileName, const FormDocument& document, const FormFileProgress& progress)
{
    if (!documentIsWritable(document))
        return {false, std::make_error_code(std::errc::invalid_argument)};
    FileReplacement replacement(fileName);
    if (!replacement.file())
        return replacement.result();
    FileSink sink(replacement);
    writeForm(sink, document, progress);
    replacement.commit();
    return replacement.result();
}
