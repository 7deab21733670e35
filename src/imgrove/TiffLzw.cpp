#include "imgrove/TiffLzw.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lzw {

namespace {

// The two control codes after the 256 single bytes, and the first code a string is given.
enum LzwCode : uint32_t { kClear = 256, kEnd = 257, kFirstFree = 258 };
constexpr uint32_t kTableSize = 4096;
constexpr int kMaxBits = 12;

struct Span {
    size_t start;
    size_t length;
};

// Copies length bytes from earlier output to out + written. The bytes wanted all lie before the
// target, so loading a whole short step before storing it gives them right; what the step writes
// beyond them is overwritten by later strings.
inline void copyString(uint8_t* out, size_t from, size_t written, size_t length)
{
    if (length <= kShortCopy) {
        uint8_t step[kShortCopy];
        std::memcpy(step, out + from, kShortCopy);
        std::memcpy(out + written, step, kShortCopy);
    } else {
        std::memcpy(out + written, out + from, length);
    }
}

}  // namespace

bool decodeStrip(std::span<const uint8_t> in, uint8_t* out, size_t outSize)
{
    std::array<Span, kTableSize> table;
    size_t written = 0;
    size_t pos = 0;
    uint64_t buffer = 0;
    int buffered = 0;
    int width = 9;
    uint32_t next = kFirstFree;
    bool hasPrevious = false;
    Span previous{0, 0};
    while (written < outSize) {
        while (buffered < width) {
            if (pos == in.size())
                return false;
            buffer = buffer << 8 | in[pos++];
            buffered += 8;
        }
        const uint32_t code = uint32_t(buffer >> (buffered - width)) & ((1u << width) - 1);
        buffered -= width;
        if (code == kClear) {
            width = 9;
            next = kFirstFree;
            hasPrevious = false;
            continue;
        }
        if (code == kEnd)
            return false;
        Span source{0, 1};
        size_t length = 1;
        if (code < 256) {
            out[written] = uint8_t(code);
        } else if (code < next) {
            source = table[code];
            length = std::min(source.length, outSize - written);
            copyString(out, source.start, written, length);
        } else if (code == next && hasPrevious) {
            // The string being defined: the previous one and its own first byte.
            length = std::min(previous.length + 1, outSize - written);
            copyString(out, previous.start, written, std::min(previous.length, length));
            if (length > previous.length)
                out[written + previous.length] = out[previous.start];
        } else {
            return false;
        }
        if (hasPrevious && next < kTableSize) {
            // The previous string followed by this one's first byte lies right in the output.
            table[next++] = Span{previous.start, previous.length + 1};
            if (next >= (1u << width) - 1 && width < kMaxBits)
                ++width;
        }
        previous = Span{written, length};
        hasPrevious = true;
        written += length;
    }
    return true;
}

}  // namespace lzw
