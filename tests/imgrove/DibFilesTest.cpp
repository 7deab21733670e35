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

}  // namespace
