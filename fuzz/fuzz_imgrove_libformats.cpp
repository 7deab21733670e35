// Feeds every input to the four decoders that sit on the codec libraries (each decoder refuses
// what is not its format), and re-encodes what decodes so that the writers see odd pictures too.
#include "imgrove/DibCodec.h"
#include "imgrove/LibCodecRows.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Honest headers of up to a billion pixels would otherwise spend the fuzzer's memory on
    // pictures that are legal, only large.
    libcodec::setPixelLimit(int64_t(1) << 22);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    for (const DibCodec* codec : {&kJpgCodec, &kPngCodec, &kTifCodec, &kGifCodec}) {
        DibOwner dib(codec->decode(input));
        if (!dib)
            continue;
        std::vector<uint8_t> out;
        codec->encode(dib.get(), out);
    }
    return 0;
}
