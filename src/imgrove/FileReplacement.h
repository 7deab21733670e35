// Writing a file so that nothing is half-written: the new content goes to a temporary file in
// the target's folder, which replaces the target only when it is complete. A failed or
// abandoned write leaves the old file as it was and no temporary file behind.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

class FileReplacement {
public:
    // Opens the temporary file; file() is null when that fails.
    explicit FileReplacement(const std::string& target);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    // Removes the temporary file unless commit() succeeded.
    ~FileReplacement();

    std::FILE* file() const { return file_; }
    // Writes count bytes; a failed write makes commit() fail.
    void write(const void* data, size_t count);
    // Closes the temporary file and renames it over the target, keeping the permissions of the
    // file it replaces; false (and the target untouched) when anything went wrong.
    bool commit();

private:
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    bool ok_ = true;
};
