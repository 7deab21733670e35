// Feeds arbitrary codes to the TIFF strip decoder of the picture library's own LZW: the first
// two bytes say how many bytes the strip must give, the rest are the codes. Whatever it returns,
// it must never write outside its buffer.
#include "imgrove/TiffLzw.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t outSize = size_t(data[0]) | size_t(data[1]) << 8;
    std::vector<uint8_t> out(outSize + lzw::kShortCopy);
    lzw::decodeStrip(std::span<const uint8_t>(data + 2, size - 2), out.data(), outSize);
    return 0;
}
