// Pictures, files and outside tools for the picture library's tests.
#pragma once

#include "imgrove/Dib.h"
#include "imgrove/DibCodec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <random>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace owncodec {

// A picture as red, green, blue bytes, rows from the top.
struct Rgb {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    bool operator==(const Rgb&) const = default;
};

inline std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Reads a binary PPM (P6, maxval 255); false for anything else.
inline bool parsePpm(const std::vector<uint8_t>& bytes, Rgb& rgb)
{
    size_t at = 0;
    auto token = [&]() {
        std::string t;
        while (at < bytes.size()) {
            const char c = char(bytes[at]);
            if (c == '#') {
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                if (!t.empty())
                    break;
                ++at;
            } else {
                t += c;
                ++at;
            }
        }
        return t;
    };
    if (token() != "P6")
        return false;
    rgb.width = std::atoi(token().c_str());
    rgb.height = std::atoi(token().c_str());
    if (token() != "255")
        return false;
    ++at;
    const size_t size = size_t(rgb.width) * size_t(rgb.height) * 3;
    if (bytes.size() < at + size)
        return false;
    rgb.pixels.assign(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + size));
    return true;
}

inline std::vector<uint8_t> ppmBytes(const Rgb& rgb)
{
    const std::string head = "P6\n" + std::to_string(rgb.width) + " " + std::to_string(rgb.height) + "\n255\n";
    std::vector<uint8_t> out(head.begin(), head.end());
    out.insert(out.end(), rgb.pixels.begin(), rgb.pixels.end());
    return out;
}

inline Rgb rgbOf(const Dib& dib)
{
    Rgb rgb;
    rgb.width = dib.header->biWidth;
    rgb.height = dib.header->biHeight;
    const int depth = dib.header->biBitCount;
    for (int y = 0; y < rgb.height; ++y)
        for (int x = 0; x < rgb.width; ++x) {
            const uint32_t v = getpixel(dib, x, y);
            if (depth == 24) {
                rgb.pixels.insert(rgb.pixels.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)});
            } else {
                const RGBQUAD c = dibColors(dib)[v];
                rgb.pixels.insert(rgb.pixels.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
            }
        }
    return rgb;
}

// Runs, single pixels and every colour of a small table: enough to exercise run-length coders.
inline uint32_t patternValue(int x, int y, int depth)
{
    if (depth == 24) {
        const int band = (x / 7 + y / 3) % 4;
        if (band == 0)
            return 0xFFFFFF;  // runs of white, as on a form
        return uint32_t((x * 37 + y * 11) & 255) | uint32_t((x * 5 + band * 60) & 255) << 8 |
               uint32_t((y * 29 + x) & 255) << 16;
    }
    const uint32_t colors = 1u << depth;
    if ((x / 9 + y) % 3 == 0)
        return colors - 1;
    return uint32_t(x * 3 + y * 7 + (x * y) % 5) % colors;
}

// A picture of the pattern; 8-bit pictures get 256 distinct colours so that pixels can be
// compared by colour as well as by index.
inline Dib patternDib(int width, int height, int depth)
{
    Dib dib = newdib(width, height, depth, nullptr, 0);
    if (depth == 8) {
        RGBQUAD colors[256];
        for (int i = 0; i < 256; ++i)
            colors[i] = RGBQUAD{uint8_t(255 - i), uint8_t(i * 7), uint8_t(i), 0};
        dibSetColors(dib, colors, 256);
    } else if (depth == 1) {
        RGBQUAD colors[2] = {{30, 60, 90, 0}, {250, 240, 230, 0}};
        dibSetColors(dib, colors, 2);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            setpixel(dib, x, y, patternValue(x, y, depth));
    return dib;
}

inline bool haveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output of a shell command; empty on failure.
inline std::vector<uint8_t> capture(const std::string& command)
{
    std::vector<uint8_t> out;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return out;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    if (pclose(pipe) != 0)
        out.clear();
    return out;
}

inline bool run(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

class TempDir {
public:
    TempDir()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("imgrove-test-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void PrintTo(const Rgb& rgb, std::ostream* os)
{
    *os << rgb.width << " x " << rgb.height << " pixels, the first ones:";
    for (size_t i = 0; i < rgb.pixels.size() && i < 24; i += 3)
        *os << " (" << int(rgb.pixels[i]) << "," << int(rgb.pixels[i + 1]) << "," << int(rgb.pixels[i + 2]) << ")";
}

inline std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

// The picture convert (or another tool) shows for a file, as a PPM; empty when it failed.
inline bool toolPixels(const std::string& command, Rgb& rgb)
{
    return parsePpm(capture(command), rgb);
}

inline Dib decodeWith(const DibCodec& codec, const std::vector<uint8_t>& bytes)
{
    return codec.decode(std::span<const uint8_t>(bytes));
}

// Every shorter prefix of a valid file gives no picture (and does not crash); stepping through
// the header byte by byte and through the rest in a few hundred cuts.
inline void expectTruncationsRefused(const DibCodec& codec, const std::vector<uint8_t>& file, size_t keepTail = 0)
{
    ASSERT_GT(file.size(), keepTail);
    const size_t last = file.size() - keepTail;
    const size_t step = std::max<size_t>(1, last / 300);
    for (size_t cut = 0; cut < last; cut += (cut < 200 ? 1 : step)) {
        Dib dib = codec.decode(std::span<const uint8_t>(file.data(), cut));
        EXPECT_EQ(dib.bits, nullptr) << codec.name << " accepted a file cut at " << cut << " of " << file.size();
        deldib(dib);
    }
}

}  // namespace owncodec

namespace owncodec {

// The pattern picture written by codec and read back: the depth it comes back with and its
// colours must match.
inline void expectRoundTrip(const DibCodec& codec, int depth, int expectedDepth, int width = 45, int height = 13)
{
    DibOwner picture(patternDib(width, height, depth));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(codec.encode(picture.get(), bytes)) << codec.name << " " << depth;
    DibOwner back(decodeWith(codec, bytes));
    ASSERT_TRUE(back) << codec.name << " could not read its own " << depth << "-bit file";
    EXPECT_EQ(back.get().header->biBitCount, expectedDepth) << codec.name << " " << depth;
    EXPECT_EQ(rgbOf(back.get()), rgbOf(picture.get())) << codec.name << " " << depth;
    if (expectedDepth == depth && depth != 24) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(getpixel(back.get(), x, y), getpixel(picture.get(), x, y)) << codec.name << " " << x << "," << y;
    }
}

// The picture a tool shows for a file we wrote (FILE in the command stands for it), against the
// picture we wrote.
inline void expectToolSees(const DibCodec& codec, const Dib& picture, const std::string& extension,
                           const std::string& toolCommand)
{
    TempDir dir;
    const auto file = dir / ("ours." + extension);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(codec.encode(picture, bytes));
    writeFile(file, bytes);
    std::string command = toolCommand;
    command.replace(command.find("FILE"), 4, quoted(file));
    Rgb seen;
    ASSERT_TRUE(toolPixels(command, seen)) << command << " could not read our file of depth "
                                           << picture.header->biBitCount;
    EXPECT_EQ(seen, rgbOf(picture)) << command << " depth " << picture.header->biBitCount;
}

// A file made by a tool from the pattern (as a PPM) opens to the same colours.
inline void expectWeSee(const DibCodec& codec, int depth, const std::string& command, int expectedDepth,
                        std::vector<uint8_t>* fileOut = nullptr)
{
    TempDir dir;
    DibOwner picture(patternDib(45, 13, depth));
    if (depth == 1) {  // the tools make two-colour pictures black and white
        const RGBQUAD blackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        dibSetColors(picture.get(), blackWhite, 2);
    }
    const Rgb expected = rgbOf(picture.get());
    writeFile(dir / "in.ppm", ppmBytes(expected));
    std::string cmd = command;
    for (auto [key, value] : {std::pair<std::string, std::string>{"IN", quoted(dir / "in.ppm")},
                              std::pair<std::string, std::string>{"OUT", quoted(dir / "out.file")}}) {
        const size_t at = cmd.find(key);
        if (at != std::string::npos)
            cmd.replace(at, key.size(), value);
    }
    ASSERT_TRUE(run(cmd)) << cmd;
    const std::vector<uint8_t> bytes = readFile(dir / "out.file");
    if (fileOut)
        *fileOut = bytes;
    DibOwner opened(decodeWith(codec, bytes));
    ASSERT_TRUE(opened) << codec.name << " could not read: " << cmd;
    if (expectedDepth) {
        EXPECT_EQ(opened.get().header->biBitCount, expectedDepth) << cmd;
    }
    EXPECT_EQ(rgbOf(opened.get()), expected) << cmd;
}

}  // namespace owncodec
