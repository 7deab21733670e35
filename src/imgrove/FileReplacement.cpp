#include "imgrove/FileReplacement.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <system_error>

namespace {

// Saving over a link writes the file it points to, not a new file in the link's place.
std::filesystem::path followLinks(const std::filesystem::path& target)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(target, error))
        return target;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
    return error ? target : resolved;
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    // Short enough for the file system whenever the target's own name is.
    std::string name = target.filename().string();
    if (name.size() > 200)
        name.resize(200);
    return target.parent_path() / (name + "." + std::to_string(stamp) + "-" + std::to_string(counter++) + ".tmp");
}

// The replacement keeps who may read the old file: a private form must not become readable to
// everyone by being saved again.
void keepPermissions(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code error;
    const std::filesystem::file_status old = std::filesystem::status(from, error);
    if (!error && std::filesystem::is_regular_file(old))
        std::filesystem::permissions(to, old.permissions(), error);
}

std::error_code lastError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

// A folder that lets no file be made in it may still let its files be written.
bool refusesNewFiles(std::error_code error)
{
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

}  // namespace

FileReplacement::FileReplacement(const std::string& target) : target_(followLinks(target))
{
    if (target.empty()) {
        error_ = std::make_error_code(std::errc::invalid_argument);
        return;
    }
    for (int attempt = 0; attempt < 8 && !file_; ++attempt) {
        temporary_ = temporaryBeside(target_);
        // "x": never take over a file that is already there.
        errno = 0;
        file_ = std::fopen(temporary_.c_str(), "wbx");
        if (!file_)
            error_ = lastError();
    }
    if (file_) {
        opened_ = true;
        error_.clear();
        return;
    }
    temporary_.clear();
    if (refusesNewFiles(error_))
        openInPlace();
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::openInPlace()
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(target_, error))
        return;
    // "r+": the old contents stay until they are overwritten; commit() cuts off what is left.
    errno = 0;
    file_ = std::fopen(target_.c_str(), "r+b");
    if (!file_)
        return;  // the reason the folder gave stands
    opened_ = true;
    inPlace_ = true;
    error_.clear();
}

void FileReplacement::fail(std::error_code error)
{
    if (!error_)
        error_ = error;
}

void FileReplacement::write(const void* data, size_t count)
{
    if (!file_ || error_ || count == 0)
        return;
    errno = 0;
    if (std::fwrite(data, 1, count, file_) != count)
        fail(lastError());
    else
        written_ += count;
}

void FileReplacement::closeFile()
{
    errno = 0;
    if (std::fflush(file_) != 0)
        fail(lastError());
    errno = 0;
    if (std::fclose(file_) != 0)
        fail(lastError());
    file_ = nullptr;
}

bool FileReplacement::commit()
{
    if (!file_) {
        fail(std::make_error_code(std::errc::io_error));
        return false;
    }
    if (inPlace_)
        return commitInPlace();
    closeFile();
    if (!error_) {
        keepPermissions(target_, temporary_);
        std::error_code error;
        std::filesystem::rename(temporary_, target_, error);
        if (!error) {
            temporary_.clear();
            return true;
        }
        fail(error);
    }
    discard();
    return false;
}

bool FileReplacement::commitInPlace()
{
    closeFile();
    if (error_)
        return false;
    std::error_code error;
    std::filesystem::resize_file(target_, written_, error);
    fail(error);
    return !error;
}

void FileReplacement::discard()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code error;
        std::filesystem::remove(temporary_, error);
        temporary_.clear();
    }
}

std::string writeFailureReason(std::error_code error)
{
    if (error == std::errc::no_space_on_device || error.value() == EDQUOT)
        return "the disk is full";
    if (error == std::errc::file_too_large)
        return "the file is too large for the disk";
    if (error == std::errc::read_only_file_system)
        return "the disk is read-only";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return "it is not allowed to write there";
    return error ? error.message() : "an unknown error";
}
