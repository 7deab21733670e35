#include "imgrove/DibCodec.h"
#include "imgrove/DibFiles.h"

#include "OwnCodecTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace owncodec;

namespace {

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, '|'))
        parts.push_back(part);
    return parts;
}

TEST(DibFilters, SaveFilterHasElevenEntriesInFormatOrder)
{
    const std::vector<std::string> parts = split(GetDIBSaveFilter());
    ASSERT_EQ(parts.size(), 22u);
    const char* extensions[] = {"bmp", "dib", "gif", "iff", "jif", "jpg", "lbm", "pcx", "rle", "tga", "tif"};
    for (int i = 0; i < 11; ++i) {
        EXPECT_FALSE(parts[2 * i].empty());
        EXPECT_EQ(parts[2 * i + 1], std::string("*.") + extensions[i]);
        // The format code of each entry is 3 plus its position.
        const DibCodec* codec = codecForFormat(3 + i);
        ASSERT_NE(codec, nullptr) << i;
        EXPECT_STREQ(codec->name, extensions[i]);
    }
    EXPECT_EQ(codecForFormat(0), nullptr);
    EXPECT_EQ(codecForFormat(2), nullptr);
    EXPECT_EQ(codecForFormat(14), nullptr);
    EXPECT_NE(GetDIBSaveFilter().back(), '|');
}

TEST(DibFilters, OpenFilterStartsWithAllPicturesAndListsEveryReadableFormat)
{
    const std::vector<std::string> parts = split(GetDIBOpenFilter());
    ASSERT_GE(parts.size(), 4u);
    EXPECT_EQ(parts.size() % 2, 0u);
    EXPECT_EQ(parts[0], "All picture files");
    for (const char* ext : {"bmp", "dib", "rle", "gif", "iff", "lbm", "jpg", "jif", "pcx", "png", "tga", "tif"})
        EXPECT_NE(parts[1].find(std::string("*.") + ext + ";"), std::string::npos) << ext;
}

TEST(DibFiles, ContentDecidesTheReader)
{
    DibOwner picture(patternDib(20, 10, 8));
    for (const DibCodec* codec : {&kBmpCodec, &kRleCodec, &kTgaCodec, &kPcxCodec, &kIffCodec}) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(codec->encode(picture.get(), bytes)) << codec->name;
        const DibCodec* found = codecForContent(bytes);
        ASSERT_NE(found, nullptr) << codec->name;
        EXPECT_EQ(found->decode, codec->decode) << codec->name << " recognised as " << found->name;
    }
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    ASSERT_NE(codecForContent(png), nullptr);
    EXPECT_STREQ(codecForContent(png)->name, "png");
    const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'};
    EXPECT_EQ(codecForContent(text), nullptr);
    EXPECT_EQ(codecForContent({}), nullptr);
}

TEST(DibFiles, SavedPictureOpensWhateverItsName)
{
    TempDir dir;
    DibOwner picture(patternDib(31, 17, 24));
    std::vector<int> percents;
    const std::string name = (dir / "form.jpg").string();  // the format code, not the name, decides
    ASSERT_TRUE(SaveDib(picture.get(), name, DibFormatPcx, [&](int p) { percents.push_back(p); }));
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(readFile(name).at(0), 0x0A);

    DibOwner opened(OpenDib(name, DibFormatAuto));
    ASSERT_TRUE(opened);
    EXPECT_EQ(rgbOf(opened.get()), rgbOf(picture.get()));
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(DibFiles, FailuresLeaveTheOldFileAndSayNo)
{
    TempDir dir;
    const auto target = dir / "old.bmp";
    writeFile(target, {'o', 'l', 'd'});
    DibOwner picture(patternDib(4, 4, 8));
    EXPECT_FALSE(SaveDib(Dib{}, target.string(), DibFormatBmp));
    EXPECT_FALSE(SaveDib(picture.get(), target.string(), 2));
    EXPECT_FALSE(SaveDib(picture.get(), (dir / "missing" / "new.bmp").string(), DibFormatBmp));
    EXPECT_EQ(readFile(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    EXPECT_EQ(OpenDib(target.string(), DibFormatAuto).bits, nullptr);
    EXPECT_EQ(OpenDib((dir / "none.bmp").string(), DibFormatAuto).bits, nullptr);
    EXPECT_EQ(OpenDib(dir.path().string(), DibFormatAuto).bits, nullptr);

    // Writing over an existing picture replaces it completely.
    ASSERT_TRUE(SaveDib(picture.get(), target.string(), DibFormatBmp));
    DibOwner opened(OpenDib(target.string(), DibFormatAuto));
    ASSERT_TRUE(opened);
    EXPECT_EQ(rgbOf(opened.get()), rgbOf(picture.get()));
}

TEST(DibFiles, ReplacingAFileKeepsItsPermissionsLinksAndLongNames)
{
    namespace fs = std::filesystem;
    TempDir dir;
    DibOwner picture(patternDib(5, 3, 24));

    // A private file stays private after it is saved again.
    const fs::path privateFile = dir / "private.bmp";
    writeFile(privateFile, {'o', 'l', 'd'});
    fs::permissions(privateFile, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(SaveDib(picture.get(), privateFile.string(), DibFormatBmp));
    EXPECT_EQ(fs::status(privateFile).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readFile(privateFile)[0], 'B');

    // Saving through a link writes the file it points to; the link stays a link.
    fs::create_directory(dir / "real");
    const fs::path linked = dir / "real" / "form.bmp";
    writeFile(linked, {'o', 'l', 'd'});
    const fs::path link = dir / "link.bmp";
    fs::create_symlink(fs::path("real") / "form.bmp", link);
    ASSERT_TRUE(SaveDib(picture.get(), link.string(), DibFormatBmp));
    EXPECT_TRUE(fs::is_symlink(link));
    DibOwner throughLink(OpenDib(linked.string(), DibFormatAuto));
    ASSERT_TRUE(throughLink);
    EXPECT_EQ(rgbOf(throughLink.get()), rgbOf(picture.get()));

    // A name as long as the file system allows still gets its temporary file beside it.
    const fs::path longName = dir / (std::string(240, 'n') + ".bmp");
    ASSERT_TRUE(SaveDib(picture.get(), longName.string(), DibFormatBmp));
    EXPECT_TRUE(fs::is_regular_file(longName));

    // A folder in the way: nothing is written and no temporary file stays behind.
    fs::create_directory(dir / "taken.bmp");
    writeFile(dir / "taken.bmp" / "inside", {'x'});
    EXPECT_FALSE(SaveDib(picture.get(), (dir / "taken.bmp").string(), DibFormatBmp));
    EXPECT_EQ(readFile(dir / "taken.bmp" / "inside"), std::vector<uint8_t>{'x'});
    size_t entries = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
        entries += entry.path().extension() == ".tmp" ? 100 : 1;
    EXPECT_EQ(entries, 5u) << "private.bmp, real, link.bmp, the long name and taken.bmp only";
}

}  // namespace
