// Feeds every input to the four decoders that sit on the codec libraries (each decoder refuses
// what is not its format), and re-encodes what decodes so that the writers see odd pictures too.
#include "imgrove/DibCodec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
// Writing is checked on pictures of everyday size; a large one that decoded legitimately has
// nothing more to show the writers and would only slow the search.
constexpr int64_t kMaxPixelsToWrite = int64_t(1) << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    for (const DibCodec* codec : {&kJpgCodec, &kPngCodec, &kTifCodec, &kGifCodec}) {
        DibOwner dib(codec->decode(input));
        if (!dib || int64_t(dib.get().header->biWidth) * dib.get().header->biHeight > kMaxPixelsToWrite)
            continue;
        std::vector<uint8_t> out;
        codec->encode(dib.get(), out);
    }
    return 0;
}
