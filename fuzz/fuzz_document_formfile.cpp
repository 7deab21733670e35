// The form file reader on arbitrary bytes: it must never crash, read past the end or allocate
// beyond what the input can hold, and what it accepts must save and reopen to the same bytes.
#include "document/FormFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FormDocument document;
    if (readFormBytes(data, size, document) != FormReadStatus::Ok)
        return 0;
    const std::vector<uint8_t> saved = formFileBytes(document);
    FormDocument reopened;
    if (readFormBytes(saved.data(), saved.size(), reopened) != FormReadStatus::Ok)
        std::abort();
    if (formFileBytes(reopened) != saved)
        std::abort();
    return 0;
}
