// Writing a file so that nothing is half-written: the new content goes to a temporary file in
// the target's folder, which replaces the target only when it is complete. A failed or
// abandoned write leaves the old file as it was and no temporary file behind.
//
// A folder may let its files be written but no file be made in it (a shared folder): there an
// existing target is written in place instead, which a failed write leaves damaged.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

// How writing a file ended: true when it is complete in its place.
struct WriteResult {
    bool opened = false;   // the file to write could be made; false: nothing was written
    std::error_code error; // the first thing that went wrong
    operator bool() const { return opened && !error; }  // NOLINT: reads as the bool it was
};

class FileReplacement {
public:
    // Opens the temporary file, or the target itself where no file can be made beside it;
    // file() is null when neither opens.
    explicit FileReplacement(const std::string& target);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    // Removes the temporary file unless commit() succeeded.
    ~FileReplacement();

    std::FILE* file() const { return file_; }
    // Writes count bytes; a failed write makes commit() fail.
    void write(const void* data, size_t count);
    // Closes the temporary file and renames it over the target, keeping the permissions of the
    // file it replaces; false (and the target untouched) when anything went wrong. In place:
    // flushes, closes and cuts the target to what was written.
    bool commit();
    // Whether the target is written in place rather than replaced.
    bool inPlace() const { return inPlace_; }
    // The first thing that went wrong: opening, a write, the flush, the close or the rename.
    std::error_code error() const { return error_; }
    WriteResult result() const { return {opened_, error_}; }

private:
    void openInPlace();
    bool commitInPlace();
    // Flushes and closes the file, keeping the first error either gives.
    void closeFile();
    void fail(std::error_code error);
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    bool opened_ = false;
    bool inPlace_ = false;
    size_t written_ = 0;
    std::error_code error_;
};

// Why a file could not be written, as the end of a sentence: "the disk is full" for a full disk
// or quota, otherwise the system's own words for the error.
std::string writeFailureReason(std::error_code error);
