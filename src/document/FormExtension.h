// The optional block after a form file's last picture row. Readers of the documented layout stop
// at the last row and never see it; this program keeps there what the layout has no room for.
//
// Layout: the magic "VLMX", an int32 version (1), then chunks up to the end of the file, each a
// four-character tag (printable ASCII), a uint32 length and that many bytes, little-endian like
// the rest of the file. Chunk "OPDF": uint32 page number (1-based), then the whole original PDF.
#pragma once

#include "document/FormDocument.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr uint8_t kExtensionMagic[4] = {'V', 'L', 'M', 'X'};
constexpr int32_t kExtensionVersion = 1;
inline constexpr char kOriginalPdfTag[] = "OPDF";

struct ExtensionContent {
    std::optional<OriginalPdf> originalPdf;
    std::vector<ExtensionChunk> otherChunks;
};

enum class ExtensionState {
    Absent,   // nothing, or something that is not the block, follows the rows
    Read,
    Damaged,  // the block's magic, then chunks that do not add up: ignored
};

// Whether bytes (all that follows the rows) start with the block's magic.
bool startsExtensionBlock(const uint8_t* data, size_t size);

// The block in bytes; content is set only when the state is Read.
ExtensionState readExtensionBlock(const uint8_t* data, size_t size, ExtensionContent& content);

// The block for the document's original PDF and other chunks; empty when it has none, so that a
// form without them is written exactly in the documented layout.
std::vector<uint8_t> extensionBlockBytes(const FormDocument& document);
