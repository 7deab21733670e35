#include "document/FormFile.h"

#include "FormFileTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <sys/resource.h>

using namespace formtest;

namespace {

// One field, one record with its value never typed, a 1-bit picture 33 x 2 with a colour table
// of two chosen colours; the header members are set so that every byte of the file is known.
void fillSmallForm(FormDocument& document)
{
    FormField& field = document.addField(FontSpec{});
    field.name = "Betrag";
    field.left = 2;
    field.top = 3;
    field.right = 30;
    field.bottom = 1;
    field.alignment = AlignRight;

    RecordEntry entry;
    entry.name = "Betrag";
    entry.left = 2;
    entry.top = 3;
    entry.right = 30;
    entry.bottom = 1;
    entry.alignment = AlignRight;
    document.records.push_back(FormRecord{{entry}});

    document.picture.reset(newdib(33, 2, 1, nullptr, 0));
    Dib& dib = document.picture.get();
    BITMAPINFOHEADER& info = *dib.header;
    info.biPlanes = 1;
    info.biCompression = 0;
    info.biSizeImage = 16;
    info.biXPelsPerMeter = 3937;
    info.biYPelsPerMeter = 3937;
    info.biClrUsed = 2;
    info.biClrImportant = 0;
    dibColors(dib)[0] = RGBQUAD{10, 20, 30, 0};
    dibColors(dib)[1] = RGBQUAD{200, 210, 220, 0};
    const uint8_t rows[16] = {0x80, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0};
    std::memcpy(dib.bits, rows, sizeof rows);

    document.FirstPoint = {1, 2};
    document.SecondPoint = {32, 1};
    document.FirstPointMm = {0.5, 1.25};
    document.SecondPointMm = {210, 297};
    document.PrintShiftMm = {0, -0.75};
}

Bytes fieldItems(Bytes bytes)
{
    return bytes.text("Betrag")
        .i32(2).i32(3).i32(30).i32(1)
        .i32(int32_t(0x80000008u)).i32(-13)
        .text("Arial").u8(0).i32(10).u8(0)
        .i32(0).i32(0).i32(0).i32(2);
}

std::vector<uint8_t> smallFormBytes()
{
    Bytes bytes;
    bytes.raw({0xFF, 0xE9, 0xF5, 0x0F})
        .i32(1).i32(2).i32(32).i32(1)
        .dbl(0.5).dbl(1.25).dbl(210).dbl(297)
        .dbl(0).dbl(-0.75)
        .i32(1);
    bytes = fieldItems(bytes);
    bytes.i32(1).i32(1);
    bytes = fieldItems(bytes);
    bytes.text("");
    bytes.i32(48).i32(2)
        .i32(40).i32(33).i32(2).u16(1).u16(1).i32(0).i32(16).i32(3937).i32(3937).i32(2).i32(0)
        .raw({10, 20, 30, 0, 200, 210, 220, 0})
        .raw({0x80, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0});
    return bytes.data;
}

// A document that differs from anything the tests read, to see that a failed read leaves it be.
struct Bystander {
    FormDocument document;
    Bystander()
    {
        fillDocument(document, 8, 20, 6);
        document.fields[0].name = "keep me";
        document.SelectedField = 1;
    }
};

std::vector<uint8_t> header40(int32_t width, int32_t height, uint16_t bits)
{
    return Bytes{}.i32(40).i32(width).i32(height).u16(1).u16(bits).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).data;
}

// A form without fields or records, with the picture part given.
std::vector<uint8_t> formWithPicture(int32_t headerSize, int32_t colorCount, const std::vector<uint8_t>& header,
                                     size_t pixelBytes)
{
    Bytes bytes;
    bytes.i32(kFormFileMagic).i32(0).i32(0).i32(0).i32(0).dbl(0).dbl(0).dbl(0).dbl(0).dbl(0).dbl(0).i32(0).i32(0);
    bytes.i32(headerSize).i32(colorCount);
    bytes.data.insert(bytes.data.end(), header.begin(), header.end());
    bytes.data.resize(bytes.data.size() + pixelBytes, 0x5A);
    return bytes.data;
}

FormReadStatus readInto(FormDocument& document, const std::vector<uint8_t>& bytes)
{
    return readFormBytes(bytes.data(), bytes.size(), document);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TEST(FormFileLayoutTest, SmallFormIsWrittenByteForByte)
{
    FormDocument document;
    fillSmallForm(document);
    const std::vector<uint8_t> expected = smallFormBytes();
    EXPECT_EQ(formFileBytes(document), expected);

    TempFolder folder;
    ASSERT_TRUE(writeFormFile(folder.file("small.frm"), document));
    EXPECT_EQ(readAll(folder.file("small.frm")), expected);
    EXPECT_EQ(folder.entryCount(), 1u);  // no temporary file left behind
}

TEST(FormFileLayoutTest, OneBitPictureThirtyThreeWideHasEightByteRows)
{
    FormDocument document;
    ASSERT_EQ(readInto(document, smallFormBytes()), FormReadStatus::Ok);
    const Dib& dib = document.picture.get();
    EXPECT_EQ(dib.rowSize, 8);
    EXPECT_EQ(dib.header->biWidth, 33);
    EXPECT_EQ(dib.header->biHeight, 2);
    // Bottom row first: the first stored row is the picture's last row.
    EXPECT_EQ(getpixel(dib, 0, 1), 1u);
    EXPECT_EQ(getpixel(dib, 1, 1), 0u);
    EXPECT_EQ(getpixel(dib, 32, 1), 1u);
    EXPECT_EQ(getpixel(dib, 0, 0), 1u);
    EXPECT_EQ(getpixel(dib, 31, 0), 1u);
    EXPECT_EQ(getpixel(dib, 32, 0), 1u);
    EXPECT_EQ(dibColors(dib)[0].rgbRed, 30);
    EXPECT_EQ(dibColors(dib)[1].rgbBlue, 200);
}

TEST(FormFileLayoutTest, ColourCountAndHeaderSizeFollowTheDepth)
{
    for (int bits : {1, 4, 8, 24}) {
        FormDocument document;
        fillDocument(document, bits, 5, 3);
        document.fields.clear();
        document.records.clear();
        const std::vector<uint8_t> bytes = formFileBytes(document);
        const size_t at = 4 + 16 + 48 + 4 + 4;
        ASSERT_GT(bytes.size(), at + 8);
        const int colors = bits == 24 ? 0 : 1 << bits;
        const std::vector<uint8_t> expected = Bytes{}.i32(40 + 4 * colors).i32(colors).data;
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + 8), expected) << bits;
        const size_t rowSize = size_t((5 * bits + 31) / 32 * 4);
        EXPECT_EQ(bytes.size(), at + 8 + 40 + 4 * colors + 3 * rowSize) << bits;
    }
}

// ---------------------------------------------------------------------------------------------

TEST(FormFileRoundTripTest, SaveThenOpenReproducesTheDocument)
{
    TempFolder folder;
    for (int bits : {1, 4, 8, 24}) {
        FormDocument saved;
        fillDocument(saved, bits, 33 + bits, 7);
        const std::string name = folder.file("form" + std::to_string(bits) + ".frm");
        ASSERT_TRUE(writeFormFile(name, saved));

        FormDocument opened;
        ASSERT_EQ(readFormFile(name, opened), FormReadStatus::Ok) << bits;
        Snapshot expected(saved);
        expected.selected = 0;  // an opened form has no selection
        EXPECT_TRUE(Snapshot(opened) == expected) << bits;
        EXPECT_EQ(opened.fields, saved.fields);
        EXPECT_EQ(opened.records, saved.records);
        // Records saved from one template share its layout again once opened.
        ASSERT_EQ(opened.records.size(), 3u);
        EXPECT_TRUE(opened.records[0].sharesLayoutsWith(opened.records[1])) << bits;
        EXPECT_TRUE(opened.records[1].sharesLayoutsWith(opened.records[2])) << bits;
        EXPECT_EQ(opened.picture.get().header->biXPelsPerMeter, saved.picture.get().header->biXPelsPerMeter);

        // The opened document saves to the very same bytes.
        EXPECT_EQ(formFileBytes(opened), readAll(name)) << bits;
    }
}

TEST(FormFileRoundTripTest, FormWithoutFieldsOrRecordsOpensEmpty)
{
    FormDocument saved;
    saved.picture.reset(newdib(4, 1, 24, nullptr, 0));
    Bystander target;
    ASSERT_EQ(readInto(target.document, formFileBytes(saved)), FormReadStatus::Ok);
    EXPECT_TRUE(target.document.fields.empty());
    EXPECT_TRUE(target.document.records.empty());
    EXPECT_EQ(target.document.SelectedField, 0);
    EXPECT_EQ(target.document.picture.get().header->biWidth, 4);
    EXPECT_EQ(target.document.SecondPointMm, (PointD{210, 297}));
}

TEST(FormFileRoundTripTest, TextsKeepTheirBytes)
{
    FormDocument saved;
    FormField& field = saved.addField(FontSpec{});
    field.name = "K\xE4\xFC" "fer \xFF\x80";
    field.font.faceName = "Schrift \xD6";
    RecordEntry entry;
    entry.name = field.name;
    entry.value = "\xE4\xFC\xF6\xDF\x80\x01";
    saved.records.push_back(FormRecord{{entry}});

    FormDocument opened;
    ASSERT_EQ(readInto(opened, formFileBytes(saved)), FormReadStatus::Ok);
    EXPECT_EQ(opened.fields[0].name, "K\xE4\xFC" "fer \xFF\x80");
    EXPECT_EQ(opened.fields[0].font.faceName, "Schrift \xD6");
    EXPECT_EQ(opened.records[0].layout(0).name, "K\xE4\xFC" "fer \xFF\x80");
    EXPECT_EQ(opened.records[0].value(0), "\xE4\xFC\xF6\xDF\x80\x01");
}

TEST(FormFileRoundTripTest, AbsentAndEmptyValuesAreOneZeroByteAndReadBackAbsent)
{
    FormDocument saved;
    fillSmallForm(saved);
    const std::vector<uint8_t> absent = formFileBytes(saved);
    saved.records[0].setValue(0, std::string());
    EXPECT_EQ(formFileBytes(saved), absent);
    saved.records[0].setValue(0, "7,50");
    const std::vector<uint8_t> typed = formFileBytes(saved);
    EXPECT_EQ(typed.size(), absent.size() + 4);

    FormDocument opened;
    ASSERT_EQ(readInto(opened, absent), FormReadStatus::Ok);
    EXPECT_FALSE(opened.records[0].value(0).has_value());
    ASSERT_EQ(readInto(opened, typed), FormReadStatus::Ok);
    EXPECT_EQ(opened.records[0].value(0), "7,50");
}

TEST(FormFileRoundTripTest, FontSizeWinsOverADisagreeingHeight)
{
    std::vector<uint8_t> bytes = smallFormBytes();
    // The field's height (-13 at offset 4 + 16 + 48 + 4 + 7 + 16 + 4) becomes -40 with size 10.
    const size_t heightAt = 4 + 16 + 48 + 4 + 7 + 16 + 4;
    const std::vector<uint8_t> minus13 = Bytes{}.i32(-13).data;
    ASSERT_TRUE(std::equal(minus13.begin(), minus13.end(), bytes.begin() + long(heightAt)));
    const std::vector<uint8_t> minus40 = Bytes{}.i32(-40).data;
    std::copy(minus40.begin(), minus40.end(), bytes.begin() + long(heightAt));

    FormDocument opened;
    ASSERT_EQ(readInto(opened, bytes), FormReadStatus::Ok);
    EXPECT_EQ(opened.fields[0].font.size, 10);
    EXPECT_EQ(opened.fields[0].font.height, -13);
}

TEST(FormFileRoundTripTest, HeightFollowsTheSizeEvenWhenItsRoundingAgrees)
{
    FormDocument saved;
    FontSpec font;
    font.setHeight(-14);  // size 10, which on its own gives -13
    saved.addField(font);
    FormDocument opened;
    ASSERT_EQ(readInto(opened, formFileBytes(saved)), FormReadStatus::Ok);
    EXPECT_EQ(opened.fields[0].font.height, -13);
    EXPECT_EQ(opened.fields[0].font.size, 10);
}

// Each reserved member has its own place: swapped on reading or writing, the values would
// come back crossed or the bytes would stand in the other order.
TEST(FormFileRoundTripTest, ReservedMembersOfFieldsAndEntriesKeepTheirOrder)
{
    FormDocument saved;
    fillSmallForm(saved);
    saved.fields[0].reserved2 = 0x11223344;
    saved.fields[0].reserved1 = 5;
    saved.records[0].editLayout(0).reserved2 = -7;
    saved.records[0].editLayout(0).reserved1 = 0x0A0B0C0D;
    const std::vector<uint8_t> bytes = formFileBytes(saved);

    // Items 9 and 10 follow the style byte; the entry block repeats the field block's items.
    const size_t fieldReserved = 4 + 16 + 48 + 4 + 7 + 16 + 4 + 4 + 6 + 1 + 4 + 1;
    const size_t fieldBlock = 7 + 16 + 4 + 4 + 6 + 1 + 4 + 1 + 16;
    const size_t entryReserved = fieldReserved + fieldBlock + 4 + 4;
    struct Row {
        size_t at;
        int32_t reserved2, reserved1;
    };
    for (const Row& row : {Row{fieldReserved, 0x11223344, 5}, Row{entryReserved, -7, 0x0A0B0C0D}}) {
        const std::vector<uint8_t> expected = Bytes{}.i32(row.reserved2).i32(row.reserved1).data;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + long(row.at))) << row.at;
    }

    FormDocument opened;
    ASSERT_EQ(readInto(opened, bytes), FormReadStatus::Ok);
    EXPECT_EQ(opened.fields[0].reserved2, 0x11223344);
    EXPECT_EQ(opened.fields[0].reserved1, 5);
    EXPECT_EQ(opened.records[0].layout(0).reserved2, -7);
    EXPECT_EQ(opened.records[0].layout(0).reserved1, 0x0A0B0C0D);
}

// ---------------------------------------------------------------------------------------------

TEST(FormFileProgressTest, ReportsEveryRowPercentageBetweenZeros)
{
    auto progressOf = [](int32_t height) {
        FormDocument saved;
        saved.picture.reset(newdib(3, height, 8, nullptr, 0));
        const std::vector<uint8_t> bytes = formFileBytes(saved);
        std::vector<int> seen;
        FormDocument opened;
        EXPECT_EQ(readFormBytes(bytes.data(), bytes.size(), opened, [&](int p) { seen.push_back(p); }),
                  FormReadStatus::Ok);
        return seen;
    };
    EXPECT_EQ(progressOf(1), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(progressOf(3), (std::vector<int>{0, 0, 50, 100, 0}));
    EXPECT_EQ(progressOf(5), (std::vector<int>{0, 0, 25, 50, 75, 100, 0}));

    const std::vector<int> tall = progressOf(301);
    ASSERT_EQ(tall.size(), 103u);
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(tall[size_t(p) + 1], p);
    EXPECT_EQ(tall.back(), 0);
}

TEST(FormFileProgressTest, ShortRowsAreFoundBeforeTheBarMoves)
{
    FormDocument saved;
    saved.picture.reset(newdib(3, 100, 8, nullptr, 0));
    std::vector<uint8_t> bytes = formFileBytes(saved);
    bytes.resize(bytes.size() - 10 * 4);
    std::vector<int> seen;
    FormDocument opened;
    EXPECT_EQ(readFormBytes(bytes.data(), bytes.size(), opened, [&](int p) { seen.push_back(p); }),
              FormReadStatus::Malformed);
    EXPECT_TRUE(seen.empty());
}

// ---------------------------------------------------------------------------------------------

TEST(FormFileBadInputTest, TruncationAtEveryOffsetFailsAndKeepsTheDocument)
{
    FormDocument saved;
    fillSmallForm(saved);
    saved.records[0].setValue(0, "12");
    const std::vector<uint8_t> whole = formFileBytes(saved);

    Bystander target;
    const Snapshot before(target.document);
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + long(length));
        const FormReadStatus status = readFormBytes(part.data(), part.size(), target.document);
        EXPECT_EQ(status, FormReadStatus::Malformed) << length;
        ASSERT_TRUE(Snapshot(target.document) == before) << length;
    }
    EXPECT_EQ(readInto(target.document, whole), FormReadStatus::Ok);
}

TEST(FormFileBadInputTest, TruncatedFilesFailTheSameWayAsTruncatedBytes)
{
    FormDocument saved;
    fillDocument(saved, 24, 70, 40);  // rows larger than nothing: read straight from the file
    const std::vector<uint8_t> whole = formFileBytes(saved);
    TempFolder folder;
    Bystander target;
    const Snapshot before(target.document);
    for (size_t length : {size_t(0), size_t(3), size_t(100), whole.size() / 2, whole.size() - 1}) {
        writeAll(folder.file("cut.frm"), std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)));
        EXPECT_EQ(readFormFile(folder.file("cut.frm"), target.document), FormReadStatus::Malformed) << length;
        ASSERT_TRUE(Snapshot(target.document) == before) << length;
    }
}

TEST(FormFileBadInputTest, WrongMagicOrMissingFileLeavesTheDocument)
{
    Bystander target;
    const Snapshot before(target.document);
    std::vector<uint8_t> bytes = smallFormBytes();
    bytes[3] = 0x0E;
    EXPECT_EQ(readInto(target.document, bytes), FormReadStatus::WrongMagic);
    const std::vector<uint8_t> picture = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0};
    EXPECT_EQ(readInto(target.document, picture), FormReadStatus::WrongMagic);
    EXPECT_TRUE(Snapshot(target.document) == before);

    TempFolder folder;
    EXPECT_EQ(readFormFile(folder.file("missing.frm"), target.document), FormReadStatus::CannotOpen);
    EXPECT_EQ(readFormFile(folder.path().string(), target.document), FormReadStatus::CannotOpen);
    EXPECT_TRUE(Snapshot(target.document) == before);
}

TEST(FormFileBadInputTest, ImpossibleCountsAreRefused)
{
    Bystander target;
    const Snapshot before(target.document);
    Bytes start;
    start.i32(kFormFileMagic).i32(0).i32(0).i32(0).i32(0).dbl(0).dbl(0).dbl(0).dbl(0).dbl(0).dbl(0);

    EXPECT_EQ(readInto(target.document, Bytes(start).i32(-1).data), FormReadStatus::Malformed);
    EXPECT_EQ(readInto(target.document, Bytes(start).i32(std::numeric_limits<int32_t>::max()).data),
              FormReadStatus::Malformed);
    EXPECT_EQ(readInto(target.document, Bytes(start).i32(0).i32(-5).data), FormReadStatus::Malformed);
    EXPECT_EQ(readInto(target.document, Bytes(start).i32(0).i32(100000000).data), FormReadStatus::Malformed);
    EXPECT_EQ(readInto(target.document, Bytes(start).i32(0).i32(1).i32(-1).data), FormReadStatus::Malformed);
    EXPECT_EQ(readInto(target.document, Bytes(start).i32(0).i32(1).i32(2000000000).data), FormReadStatus::Malformed);
    EXPECT_TRUE(Snapshot(target.document) == before);
}

TEST(FormFileBadInputTest, TextWithoutItsZeroByteIsRefused)
{
    Bystander target;
    const Snapshot before(target.document);
    Bytes bytes;
    bytes.i32(kFormFileMagic).i32(0).i32(0).i32(0).i32(0).dbl(0).dbl(0).dbl(0).dbl(0).dbl(0).dbl(0).i32(1);
    bytes.data.resize(bytes.data.size() + 4000, 'x');
    EXPECT_EQ(readInto(target.document, bytes.data), FormReadStatus::Malformed);
    EXPECT_TRUE(Snapshot(target.document) == before);
}

TEST(FormFileBadInputTest, NumbersThatAreNotNumbersAreRefused)
{
    Bystander target;
    std::vector<uint8_t> bytes = smallFormBytes();
    const std::vector<uint8_t> nan = Bytes{}.dbl(std::numeric_limits<double>::quiet_NaN()).data;
    std::copy(nan.begin(), nan.end(), bytes.begin() + 20);
    EXPECT_EQ(readInto(target.document, bytes), FormReadStatus::Malformed);
    EXPECT_EQ(target.document.fields[0].name, "keep me");
}

TEST(FormFileBadInputTest, PictureHeadersThatDoNotFitAreRefused)
{
    Bystander target;
    const Snapshot before(target.document);
    const auto table2 = std::vector<uint8_t>(8, 0x40);
    auto with = [](std::vector<uint8_t> header, const std::vector<uint8_t>& table) {
        header.insert(header.end(), table.begin(), table.end());
        return header;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"bit count 3", formWithPicture(48, 2, with(header40(4, 2, 3), table2), 8)},
        {"bit count 16", formWithPicture(40, 0, header40(4, 2, 16), 16)},
        {"bit count 32", formWithPicture(40, 0, header40(4, 2, 32), 32)},
        {"width 0", formWithPicture(48, 2, with(header40(0, 2, 1), table2), 8)},
        {"width negative", formWithPicture(48, 2, with(header40(-8, 2, 1), table2), 8)},
        {"height 0", formWithPicture(48, 2, with(header40(4, 0, 1), table2), 8)},
        {"height negative", formWithPicture(48, 2, with(header40(4, -2, 1), table2), 8)},
        {"header size 39", formWithPicture(39, 0, header40(4, 2, 24), 24)},
        {"header size negative", formWithPicture(-48, 2, with(header40(4, 2, 1), table2), 8)},
        {"header size beyond the file", formWithPicture(1 << 30, 0, header40(4, 2, 24), 24)},
        {"more colours than the table", formWithPicture(48, 3, with(header40(4, 2, 1), table2), 12)},
        {"colour count negative", formWithPicture(48, -2, with(header40(4, 2, 1), table2), 8)},
        {"rows beyond the file", formWithPicture(48, 2, with(header40(4, 3, 1), table2), 8)},
        {"huge picture, small file", formWithPicture(40, 0, header40(60000, 60000, 24), 64)},
        {"row size overflows", formWithPicture(40, 0, header40(0x7FFFFFFF, 1, 24), 64)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readInto(target.document, c.bytes), FormReadStatus::Malformed) << c.what;
        ASSERT_TRUE(Snapshot(target.document) == before) << c.what;
    }
    // The same pictures with consistent numbers do open.
    EXPECT_EQ(readInto(target.document, formWithPicture(48, 2, with(header40(4, 2, 1), table2), 8)),
              FormReadStatus::Ok);
    EXPECT_EQ(readInto(target.document, formWithPicture(40, 0, header40(4, 2, 24), 32)), FormReadStatus::Ok);
}

TEST(FormFileBadInputTest, LargerHeaderBlockAndFewerColoursStillOpen)
{
    // A header block with room to spare and a count below the depth's table: only the counted
    // colours are taken.
    std::vector<uint8_t> header = header40(2, 1, 8);
    const std::vector<uint8_t> table = {1, 2, 3, 0, 4, 5, 6, 0, 9, 9, 9, 9, 9, 9, 9, 9};
    header.insert(header.end(), table.begin(), table.end());
    FormDocument opened;
    ASSERT_EQ(readInto(opened, formWithPicture(56, 2, header, 4)), FormReadStatus::Ok);
    const Dib& dib = opened.picture.get();
    EXPECT_EQ(dib.header->biBitCount, 8);
    EXPECT_EQ(dibColors(dib)[0].rgbBlue, 1);
    EXPECT_EQ(dibColors(dib)[1].rgbRed, 6);
    EXPECT_EQ(dib.bits[0], 0x5A);
}

// ---------------------------------------------------------------------------------------------

TEST(FormFileWriteTest, FailedWriteReportsFalseAndLeavesTheOldFile)
{
    TempFolder folder;
    const std::string target = folder.file("old.frm");
    writeAll(target, {'o', 'l', 'd'});
    FormDocument document;
    fillDocument(document, 24, 300, 200);

    // A file size limit stands in for a full disk: the write breaks off half way.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeFormFile(target, document);
    setrlimit(RLIMIT_FSIZE, &old);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(folder.entryCount(), 1u);

    EXPECT_TRUE(writeFormFile(target, document));
    EXPECT_EQ(readAll(target), formFileBytes(document));
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(FormFileWriteTest, FolderThatCannotHoldTheFileReportsFalse)
{
    TempFolder folder;
    FormDocument document;
    EXPECT_FALSE(writeFormFile(folder.file("no such folder/form.frm"), document));
    writeAll(folder.file("plain"), {'x'});
    EXPECT_FALSE(writeFormFile(folder.file("plain") + "/form.frm", document));
    EXPECT_EQ(readAll(folder.file("plain")), (std::vector<uint8_t>{'x'}));

    // A folder of the chosen name is not replaced.
    std::filesystem::create_directory(folder.path() / "taken.frm");
    writeAll(folder.path() / "taken.frm" / "inside", {'y'});
    EXPECT_FALSE(writeFormFile(folder.file("taken.frm"), document));
    EXPECT_EQ(readAll(folder.path() / "taken.frm" / "inside"), (std::vector<uint8_t>{'y'}));
    EXPECT_EQ(folder.entryCount(), 2u);
}

TEST(FormFileWriteTest, SaveReplacesAnExistingFileCompletely)
{
    TempFolder folder;
    const std::string target = folder.file("form.frm");
    writeAll(target, std::vector<uint8_t>(200000, 0xEE));
    FormDocument document;
    fillSmallForm(document);
    ASSERT_TRUE(writeFormFile(target, document));
    EXPECT_EQ(readAll(target), smallFormBytes());
}

// ---------------------------------------------------------------------------------------------

// The fuzzer's seeds are small forms of every depth. They are checked in; this keeps them equal
// to what the writer makes and lets VELMORA_UPDATE_SEEDS=1 rewrite them.
TEST(FormFileSeedTest, FuzzSeedsAreCurrentFormFiles)
{
    const std::filesystem::path folder = std::filesystem::path(VELMORA_SOURCE_DIR) / "fuzz/corpus/document_formfile";
    std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds;
    {
        FormDocument small;
        fillSmallForm(small);
        seeds.emplace_back("small-1bit.frm", formFileBytes(small));
    }
    for (int bits : {1, 4, 8, 24}) {
        FormDocument document;
        fillDocument(document, bits, 9, 4);
        seeds.emplace_back("form-" + std::to_string(bits) + "bit.frm", formFileBytes(document));
    }
    {
        FormDocument empty;
        empty.picture.reset(newdib(1, 1, 24, nullptr, 0));
        seeds.emplace_back("empty.frm", formFileBytes(empty));
    }

    const char* update = std::getenv("VELMORA_UPDATE_SEEDS");
    for (const auto& [name, bytes] : seeds) {
        if (update && std::string(update) == "1")
            writeAll(folder / name, bytes);
        EXPECT_EQ(readAll(folder / name), bytes) << name;
        FormDocument opened;
        EXPECT_EQ(readInto(opened, bytes), FormReadStatus::Ok) << name;
        EXPECT_EQ(formFileBytes(opened), bytes) << name;
    }
}
