#include "document/FormExtension.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr size_t kTagSize = 4;
constexpr size_t kChunkHeaderSize = kTagSize + 4;

uint32_t readU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

bool isTag(const uint8_t* p)
{
    return std::all_of(p, p + kTagSize, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// An OPDF chunk too short for its page number, or naming page 0, cannot be used and is dropped.
std::optional<OriginalPdf> originalPdfFrom(const ExtensionChunk& chunk)
{
    if (chunk.bytes.size() < 4)
        return std::nullopt;
    const uint32_t page = readU32(chunk.bytes.data());
    if (page == 0 || page > uint32_t(INT32_MAX))
        return std::nullopt;
    return OriginalPdf{std::vector<uint8_t>(chunk.bytes.begin() + 4, chunk.bytes.end()), int32_t(page)};
}

void appendChunk(std::vector<uint8_t>& out, const std::string& tag, const uint8_t* data, size_t size,
                 const uint8_t* prefix = nullptr, size_t prefixSize = 0)
{
    std::string fixed = tag;
    fixed.resize(kTagSize, ' ');
    out.insert(out.end(), fixed.begin(), fixed.end());
    appendU32(out, uint32_t(prefixSize + size));
    out.insert(out.end(), prefix, prefix + prefixSize);
    out.insert(out.end(), data, data + size);
}

}  // namespace

bool startsExtensionBlock(const uint8_t* data, size_t size)
{
    return size >= sizeof kExtensionMagic && std::memcmp(data, kExtensionMagic, sizeof kExtensionMagic) == 0;
}

ExtensionState readExtensionBlock(const uint8_t* data, size_t size, ExtensionContent& content)
{
    if (!startsExtensionBlock(data, size))
        return ExtensionState::Absent;
    size_t at = sizeof kExtensionMagic;
    if (size - at < 4 || int32_t(readU32(data + at)) < 1)
        return ExtensionState::Damaged;
    at += 4;

    ExtensionContent read;
    while (at < size) {
        if (size - at < kChunkHeaderSize || !isTag(data + at))
            return ExtensionState::Damaged;
        const uint32_t length = readU32(data + at + kTagSize);
        at += kChunkHeaderSize;
        if (length > size - at)
            return ExtensionState::Damaged;
        ExtensionChunk chunk{std::string(reinterpret_cast<const char*>(data + at - kChunkHeaderSize), kTagSize),
                             std::vector<uint8_t>(data + at, data + at + length)};
        at += length;
        if (chunk.tag == kOriginalPdfTag)
            read.originalPdf = originalPdfFrom(chunk);
        else
            read.otherChunks.push_back(std::move(chunk));
    }
    content = std::move(read);
    return ExtensionState::Read;
}

std::vector<uint8_t> extensionBlockBytes(const FormDocument& document)
{
    std::vector<uint8_t> out;
    if (!document.originalPdf && document.otherChunks.empty())
        return out;
    out.assign(std::begin(kExtensionMagic), std::end(kExtensionMagic));
    appendU32(out, uint32_t(kExtensionVersion));
    if (const auto& pdf = document.originalPdf) {
        std::vector<uint8_t> page;
        appendU32(page, uint32_t(pdf->page));
        appendChunk(out, kOriginalPdfTag, pdf->bytes.data(), pdf->bytes.size(), page.data(), page.size());
    }
    for (const ExtensionChunk& chunk : document.otherChunks)
        appendChunk(out, chunk.tag, chunk.bytes.data(), chunk.bytes.size());
    return out;
}
