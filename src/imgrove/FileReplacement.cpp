#include "imgrove/FileReplacement.h"

#include <atomic>
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

}  // namespace

FileReplacement::FileReplacement(const std::string& target) : target_(followLinks(target))
{
    if (target.empty())
        return;
    for (int attempt = 0; attempt < 8 && !file_; ++attempt) {
        temporary_ = temporaryBeside(target_);
        // "x": never take over a file that is already there.
        file_ = std::fopen(temporary_.c_str(), "wbx");
    }
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::write(const void* data, size_t count)
{
    if (!file_ || !ok_ || count == 0)
        return;
    if (std::fwrite(data, 1, count, file_) != count)
        ok_ = false;
}

bool FileReplacement::commit()
{
    if (!file_)
        return false;
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    std::error_code error;
    if (ok_ && flushed && closed) {
        keepPermissions(target_, temporary_);
        std::filesystem::rename(temporary_, target_, error);
        if (!error) {
            temporary_.clear();
            return true;
        }
    }
    discard();
    return false;
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
