#include "document/FormExtension.h"
#include "document/FormFile.h"

#include "FormFileTestSupport.h"

#include <gtest/gtest.h>

using namespace formtest;

namespace {

// A reader of the documented layout alone, as every reader before the extension block was: it
// walks the items and says where the last picture row ends.
size_t endOfRows(const std::vector<uint8_t>& file)
{
    size_t at = 4 + 4 * 4 + 6 * 8;
    const auto i32 = [&] {
        int32_t v;
        std::memcpy(&v, file.data() + at, 4);
        at += 4;
        return v;
    };
    const auto text = [&] { at = size_t(std::find(file.begin() + ptrdiff_t(at), file.end(), 0) - file.begin()) + 1; };
    const auto item = [&] {
        text();
        at += 16 + 4 + 4;
        text();
        at += 1 + 4 + 1 + 4 * 4;
    };
    for (int32_t f = i32(); f > 0; --f)
        item();
    for (int32_t r = i32(); r > 0; --r)
        for (int32_t e = i32(); e > 0; --e) {
            item();
            text();
        }
    const int32_t headerSize = i32();
    at += 4;
    int32_t width, height;
    uint16_t bits;
    std::memcpy(&width, file.data() + at + 4, 4);
    std::memcpy(&height, file.data() + at + 8, 4);
    std::memcpy(&bits, file.data() + at + 14, 2);
    at += size_t(headerSize);
    return at + size_t(dibRowSize(width, bits)) * size_t(height);
}

FormDocument formWithOriginal()
{
    FormDocument document;
    fillDocument(document, 8);
    document.originalPdf = OriginalPdf{{'%', 'P', 'D', 'F', '-', '1', '.', '4', 0, 0xFF, '\n'}, 3};
    document.otherChunks = {ExtensionChunk{"FXTR", {1, 2, 3}}, ExtensionChunk{"ZERO", {}}};
    return document;
}

std::vector<uint8_t> withoutExtension(const FormDocument& document)
{
    FormDocument plain;
    fillDocument(plain, 8);
    EXPECT_TRUE(Snapshot(plain) == Snapshot(document));
    return formFileBytes(plain);
}

}  // namespace

TEST(FormExtensionTest, BlockFollowsTheUnchangedLayoutAndReadsBack)
{
    const FormDocument saved = formWithOriginal();
    const std::vector<uint8_t> bytes = formFileBytes(saved);
    const std::vector<uint8_t> plain = withoutExtension(saved);

    // Up to the last row the file is the documented layout, byte for byte; the block follows.
    ASSERT_GT(bytes.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), bytes.begin()));
    EXPECT_EQ(endOfRows(bytes), plain.size());
    const std::vector<uint8_t> expectedBlock =
        Bytes()
            .raw({'V', 'L', 'M', 'X'})
            .i32(1)
            .raw({'O', 'P', 'D', 'F'})
            .i32(4 + 11)
            .i32(3)
            .raw({'%', 'P', 'D', 'F', '-', '1', '.', '4', 0, 0xFF, '\n'})
            .raw({'F', 'X', 'T', 'R'})
            .i32(3)
            .raw({1, 2, 3})
            .raw({'Z', 'E', 'R', 'O'})
            .i32(0)
            .data;
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + ptrdiff_t(plain.size()), bytes.end()), expectedBlock);

    FormDocument opened;
    ASSERT_EQ(readFormBytes(bytes.data(), bytes.size(), opened), FormReadStatus::Ok);
    EXPECT_EQ(opened.originalPdf, saved.originalPdf);
    EXPECT_EQ(opened.otherChunks, saved.otherChunks);
    // Unknown chunks go back out as they came in.
    EXPECT_EQ(formFileBytes(opened), bytes);
}

TEST(FormExtensionTest, FormWithoutExtrasIsWrittenWithoutBlock)
{
    FormDocument document;
    fillDocument(document, 24);
    const std::vector<uint8_t> bytes = formFileBytes(document);
    EXPECT_EQ(endOfRows(bytes), bytes.size());
}

TEST(FormExtensionTest, DamagedBlockIsIgnoredAndTheFormOpens)
{
    const FormDocument saved = formWithOriginal();
    const std::vector<uint8_t> plain = withoutExtension(saved);
    struct Case {
        const char* what;
        std::vector<uint8_t> tail;
    };
    const std::vector<Case> cases = {
        {"magic alone", Bytes().raw({'V', 'L', 'M', 'X'}).data},
        {"version 0", Bytes().raw({'V', 'L', 'M', 'X'}).i32(0).data},
        {"chunk longer than the file", Bytes().raw({'V', 'L', 'M', 'X'}).i32(1).raw({'O', 'P', 'D', 'F'}).i32(99).i32(1).data},
        {"tag that is no text", Bytes().raw({'V', 'L', 'M', 'X'}).i32(1).raw({'O', 'P', 0, 'F'}).i32(0).data},
        {"half a chunk header", Bytes().raw({'V', 'L', 'M', 'X'}).i32(1).raw({'O', 'P', 'D'}).data},
        {"good chunk then garbage",
         Bytes().raw({'V', 'L', 'M', 'X'}).i32(1).raw({'O', 'P', 'D', 'F'}).i32(5).i32(2).raw({'%', 1, 2}).data},
        {"page number 0", Bytes().raw({'V', 'L', 'M', 'X'}).i32(1).raw({'O', 'P', 'D', 'F'}).i32(5).i32(0).raw({'%'}).data},
        {"something else after the rows", Bytes().raw({'J', 'U', 'N', 'K', 1, 2}).data},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = plain;
        bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
        FormDocument opened;
        ASSERT_EQ(readFormBytes(bytes.data(), bytes.size(), opened), FormReadStatus::Ok) << c.what;
        Snapshot expected(saved);
        expected.selected = 0;
        EXPECT_TRUE(Snapshot(opened) == expected) << c.what;
        EXPECT_FALSE(opened.originalPdf) << c.what;
        EXPECT_TRUE(opened.otherChunks.empty()) << c.what;
        // Saved again, the form holds no trace of what could not be read.
        EXPECT_EQ(formFileBytes(opened), plain) << c.what;
    }
}

TEST(FormExtensionTest, FileOnDiskKeepsTheOriginalAndNewDropsIt)
{
    TempFolder folder;
    const FormDocument saved = formWithOriginal();
    const std::string name = folder.file("pdf.frm");
    ASSERT_TRUE(writeFormFile(name, saved));
    FormDocument opened;
    ASSERT_EQ(readFormFile(name, opened), FormReadStatus::Ok);
    EXPECT_EQ(opened.originalPdf, saved.originalPdf);
    EXPECT_EQ(opened.otherChunks, saved.otherChunks);

    opened.resetForNew();
    EXPECT_FALSE(opened.originalPdf);
    EXPECT_TRUE(opened.otherChunks.empty());
}
