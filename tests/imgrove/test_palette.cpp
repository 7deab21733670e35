#include "imgrove/Palette.h"
#include "imgrove/StandardPalettes.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace {

LOGPALETTE256 logPalette(std::initializer_list<PALETTEENTRY> entries)
{
    LOGPALETTE256 lp{};
    lp.palVersion = 0x300;
    lp.palNumEntries = uint16_t(entries.size());
    int i = 0;
    for (const PALETTEENTRY& e : entries)
        lp.palPalEntry[i++] = e;
    return lp;
}

TEST(PaletteObject, MadeFromTheLogicalPaletteAndReadable)
{
    const LOGPALETTE256 lp = logPalette({{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}});
    HPALETTE palette = CreatePalette(&lp);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->size(), 3);
    PALETTEENTRY out[4] = {};
    EXPECT_EQ(GetPaletteEntries(palette, 1, 4, out), 2);
    EXPECT_EQ(out[0].peRed, 40);
    EXPECT_EQ(out[1].peBlue, 90);
    EXPECT_EQ(GetPaletteEntries(palette, 3, 1, out), 0);
    DeletePalette(palette);

    LOGPALETTE256 none{};
    EXPECT_EQ(CreatePalette(&none), nullptr);
    none.palNumEntries = 257;
    EXPECT_EQ(CreatePalette(&none), nullptr);
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
    DeletePalette(nullptr);
    EXPECT_EQ(GetNearestPaletteIndex(nullptr, 0), kInvalidPaletteIndex);
}

TEST(PaletteObject, NearestColourByLeastSquaredDistanceLowestIndexOnTies)
{
    const LOGPALETTE256 lp = logPalette({{0, 0, 0, 0}, {100, 0, 0, 0}, {0, 100, 0, 0}, {100, 0, 0, 0}, {50, 50, 200, 0}});
    HPALETTE palette = CreatePalette(&lp);
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(100, 0, 0)), 1u);  // entries 1 and 3 are equal
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(52, 52, 0)), 1u);  // 1 and 2 are equally far
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(10, 10, 10)), 0u);
    // 108 from entry 4, 38408 from black.
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(48, 52, 190)), 4u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(0, 90, 10)), 2u);
    // Asked again (from the memo) the answers stay the same.
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(52, 52, 0)), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(48, 52, 190)), 4u);

    const PALETTEENTRY moved[] = {{48, 52, 190, 0}};
    palette->setEntries(0, moved);
    EXPECT_EQ(GetNearestPaletteIndex(palette, PaletteRgb(48, 52, 190)), 0u);
    DeletePalette(palette);
}

TEST(StandardPalettes, SixteenColours)
{
    EXPECT_EQ(std::tie(kStandardPalette16[1].red, kStandardPalette16[1].green), std::make_tuple(uint8_t(128), uint8_t(0)));
    EXPECT_EQ(kStandardPalette16[7].green, 192);
    EXPECT_EQ(kStandardPalette16[8].blue, 128);
    EXPECT_EQ(kStandardPalette16[12].blue, 255);
    EXPECT_EQ(kStandardPalette16[12].red, 0);
    EXPECT_EQ(kStandardPalette16[15].red + kStandardPalette16[15].green + kStandardPalette16[15].blue, 765);
}

TEST(StandardPalettes, HalftonePaletteEntries)
{
    auto rgb = [](int i) {
        return std::make_tuple(int(kStandardPalette256[i].red), int(kStandardPalette256[i].green),
                               int(kStandardPalette256[i].blue));
    };
    EXPECT_EQ(rgb(8), std::make_tuple(192, 220, 192));
    EXPECT_EQ(rgb(9), std::make_tuple(166, 202, 240));
    EXPECT_EQ(rgb(18), std::make_tuple(85, 85, 85));
    EXPECT_EQ(rgb(28), std::make_tuple(0, 129, 129));
    EXPECT_EQ(rgb(29), std::make_tuple(51, 0, 0));
    EXPECT_EQ(rgb(127), std::make_tuple(255, 0, 204));
    EXPECT_EQ(rgb(151), std::make_tuple(102, 204, 102));
    EXPECT_EQ(rgb(232), std::make_tuple(102, 255, 255));
    EXPECT_EQ(rgb(233), std::make_tuple(193, 193, 193));
    EXPECT_EQ(rgb(245), std::make_tuple(248, 248, 248));
    EXPECT_EQ(rgb(246), std::make_tuple(255, 251, 240));
    EXPECT_EQ(rgb(250), std::make_tuple(0, 255, 0));
    EXPECT_EQ(rgb(255), std::make_tuple(255, 255, 255));

    // Entries 29-232 are 204 different cube colours; black, white, the pure colours and the
    // four named ones are not among them.
    std::set<std::tuple<int, int, int>> cube;
    for (int i = 29; i <= 232; ++i) {
        const auto [r, g, b] = rgb(i);
        EXPECT_TRUE(r % 51 == 0 && g % 51 == 0 && b % 51 == 0) << "entry " << i;
        cube.insert(rgb(i));
    }
    EXPECT_EQ(cube.size(), 204u);
    for (auto missing : {std::make_tuple(0, 0, 0), std::make_tuple(255, 255, 255), std::make_tuple(51, 255, 0),
                         std::make_tuple(0, 255, 51), std::make_tuple(51, 0, 255), std::make_tuple(0, 51, 255),
                         std::make_tuple(255, 255, 0)})
        EXPECT_EQ(cube.count(missing), 0u);
}

TEST(StandardPalettes, CubeMapFindsEachColourOrItsPureNeighbour)
{
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r) {
                const StandardColor c = kStandardPalette256[standardCubeIndex(r, g, b)];
                const bool missing = (r == 1 && g == 5 && b == 0) || (r == 0 && g == 5 && b == 1) ||
                                     (r == 1 && g == 0 && b == 5) || (r == 0 && g == 1 && b == 5);
                if (!missing) {
                    EXPECT_EQ(c.red, 51 * r);
                    EXPECT_EQ(c.green, 51 * g);
                    EXPECT_EQ(c.blue, 51 * b);
                }
            }
    EXPECT_EQ(standardCubeIndex(1, 5, 0), 250);
    EXPECT_EQ(standardCubeIndex(0, 5, 1), 250);
    EXPECT_EQ(standardCubeIndex(1, 0, 5), 252);
    EXPECT_EQ(standardCubeIndex(0, 1, 5), 252);
    EXPECT_EQ(standardCubeIndex(5, 5, 5), 255);
    EXPECT_EQ(standardCubeIndex(0, 0, 0), 0);
    EXPECT_EQ(kOrderedDitherThreshold[0 * 8 + 7], 50);
    EXPECT_EQ(kOrderedDitherThreshold[7 * 8 + 7], 16);
    EXPECT_EQ(kOrderedDitherThreshold[4 * 8 + 4], 0);
}

}  // namespace
