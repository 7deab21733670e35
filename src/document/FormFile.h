// The ".frm" form file: reading and writing a whole FormDocument.
//
// A read builds a complete new document first and replaces the caller's document only when the
// whole file, pixel rows included, was read; any failure leaves the document exactly as it was.
// A write goes to a temporary file in the target's folder that is renamed over the target when
// complete, so a failed write leaves the old file in place.
// After the last picture row comes the optional extension block (FormExtension.h): written only
// for a form that has something to keep there; a damaged one is ignored and the form opens.
#pragma once

#include "document/FormDocument.h"
#include "imgrove/FileReplacement.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The first four bytes of every form file: FF E9 F5 0F.
constexpr int32_t kFormFileMagic = 0x0FF5E9FF;

// Receives percentages 0..100 while the pixel rows are read or written; 0 before and after.
using FormFileProgress = std::function<void(int percent)>;

enum class FormReadStatus {
    Ok,
    CannotOpen,   // missing, unreadable or not a regular file
    WrongMagic,   // not a form file
    Malformed,    // ends early, or holds counts, sizes or a picture header that cannot be right
    NoPicture,    // the picture could not be created (too large)
};

// fileName: bytes of a local path.
FormReadStatus readFormFile(const std::string& fileName, FormDocument& document,
                            const FormFileProgress& progress = {});
FormReadStatus readFormBytes(const uint8_t* data, size_t size, FormDocument& document,
                             const FormFileProgress& progress = {});

// False when the file could not be written completely; the previous file is then untouched.
WriteResult writeFormFile(const std::string& fileName, const FormDocument& document,
                   const FormFileProgress& progress = {});
// The bytes writeFormFile puts into the file.
std::vector<uint8_t> formFileBytes(const FormDocument& document);
