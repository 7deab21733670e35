// Feeds arbitrary bytes to every decoder of the picture library's own formats; whatever they
// return must be a whole picture that can be read pixel by pixel and freed.
#include "imgrove/DibCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    for (const DibCodec* codec : {&kBmpCodec, &kTgaCodec, &kPcxCodec, &kIffCodec}) {
        codec->sniff(bytes);
        Dib dib = codec->decode(bytes);
        if (dib.bits) {
            const int32_t width = dib.header->biWidth;
            const int32_t height = dib.header->biHeight;
            volatile uint32_t sink = getpixel(dib, 0, 0) ^ getpixel(dib, width - 1, height - 1);
            (void)sink;
        }
        deldib(dib);
    }
    return 0;
}
