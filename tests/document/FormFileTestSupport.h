// Documents, byte builders and comparisons shared by the form-file tests.
#pragma once

#include "document/FormDocument.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace formtest {

// Little-endian bytes written item by item, independent of the writer under test.
struct Bytes {
    std::vector<uint8_t> data;

    Bytes& i32(int32_t value)
    {
        const auto u = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            data.push_back(uint8_t(u >> (8 * i)));
        return *this;
    }
    Bytes& u16(uint16_t value)
    {
        data.push_back(uint8_t(value));
        data.push_back(uint8_t(value >> 8));
        return *this;
    }
    Bytes& u8(uint8_t value)
    {
        data.push_back(value);
        return *this;
    }
    Bytes& dbl(double value)
    {
        const auto bits = std::bit_cast<uint64_t>(value);
        for (int i = 0; i < 8; ++i)
            data.push_back(uint8_t(bits >> (8 * i)));
        return *this;
    }
    Bytes& text(const std::string& value)
    {
        data.insert(data.end(), value.begin(), value.end());
        data.push_back(0);
        return *this;
    }
    Bytes& raw(std::initializer_list<uint8_t> values)
    {
        data.insert(data.end(), values);
        return *this;
    }
};

// Everything a user could tell apart in a document, pixel memory included.
struct Snapshot {
    std::vector<FormField> fields;
    std::vector<FormRecord> records;
    int32_t selected = 0;
    PointI first, second;
    PointD firstMm, secondMm, shift;
    int32_t width = 0, height = 0, bits = 0, rowSize = 0;
    std::vector<uint8_t> colors;
    std::vector<uint8_t> pixels;

    explicit Snapshot(const FormDocument& d)
        : fields(d.fields), records(d.records), selected(d.SelectedField), first(d.FirstPoint),
          second(d.SecondPoint), firstMm(d.FirstPointMm), secondMm(d.SecondPointMm), shift(d.PrintShiftMm)
    {
        const Dib& dib = d.picture.get();
        if (!dib.header)
            return;
        width = dib.header->biWidth;
        height = dib.header->biHeight;
        bits = dib.header->biBitCount;
        rowSize = dib.rowSize;
        const auto* table = reinterpret_cast<const uint8_t*>(dibColors(dib));
        colors.assign(table, table + 4 * dibTableSize(bits));
        pixels.assign(dib.bits, dib.bits + size_t(rowSize) * size_t(height));
    }
    bool operator==(const Snapshot&) const = default;
};

inline void fillPicture(Dib& dib, uint32_t seed)
{
    std::mt19937 generator(seed);
    const size_t bytes = size_t(dib.rowSize) * size_t(dib.header->biHeight);
    for (size_t i = 0; i < bytes; ++i)
        dib.bits[i] = uint8_t(generator());
    RGBQUAD* table = dibColors(dib);
    for (int i = 0; i < dibTableSize(dib.header->biBitCount); ++i)
        table[i] = RGBQUAD{uint8_t(generator()), uint8_t(generator()), uint8_t(i), 0};
}

// A document with something different in every member a form file holds.
inline void fillDocument(FormDocument& document, int bitsPerPixel, int32_t width = 37, int32_t height = 11)
{
    FontSpec bold;
    bold.faceName = "Courier New";
    bold.setSize(14);
    bold.style = FontBold | FontUnderline;
    bold.pitch = 2;
    bold.color = 0x00336699;

    FormField& name = document.addField(FontSpec{});
    name.name = "Name";
    name.left = 3;
    name.top = 4;
    name.right = 30;
    name.bottom = 9;
    FormField& street = document.addField(bold);
    street.name = "Stra\xDF" "e \xE4\xFC";
    street.left = -5;
    street.top = 100000;
    street.right = 7;
    street.bottom = 8;
    street.multiLine = 1;
    street.alignment = AlignRight;
    FormField& date = document.addField(FontSpec{});
    date.name = "<date>";
    date.alignment = AlignCentered;
    document.addField(FontSpec{}).name.clear();
    document.SelectedField = 2;

    for (int r = 0; r < 3; ++r) {
        FormRecord record = document.recordFromFields();
        record.setValue(0, "Record " + std::to_string(r + 1));
        if (r == 1)
            record.setValue(1, "line one\r\nline two \xE9");
        document.records.push_back(record);
    }

    document.picture.reset(newdib(width, height, bitsPerPixel, nullptr, 0));
    fillPicture(document.picture.get(), uint32_t(bitsPerPixel * 1000 + width));
    document.FirstPoint = {12, 34};
    document.SecondPoint = {width - 1, height - 1};
    document.FirstPointMm = {10.25, 20.125};
    document.SecondPointMm = {199.875, 287.5};
    document.PrintShiftMm = {-1.5, 2.75};
}

inline std::vector<uint8_t> readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeAll(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A fresh folder removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("velmora-test-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    size_t entryCount() const
    {
        return size_t(std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path path_;
};

} // namespace formtest
