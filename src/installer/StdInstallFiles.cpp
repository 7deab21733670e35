#include "installer/StdInstallFiles.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace installer {

namespace {

class StdReadFile : public InstallReadFile {
public:
    explicit StdReadFile(std::FILE* file) : file_(file) {}
    ~StdReadFile() override { std::fclose(file_); }

    long read(char* buffer, std::size_t size) override
    {
        const std::size_t got = std::fread(buffer, 1, size, file_);
        return std::ferror(file_) ? -1 : static_cast<long>(got);
    }

private:
    std::FILE* file_;
};

class StdWriteFile : public InstallWriteFile {
public:
    explicit StdWriteFile(std::FILE* file) : file_(file) {}
    ~StdWriteFile() override { close(); }

    long write(const char* buffer, std::size_t size) override
    {
        return static_cast<long>(std::fwrite(buffer, 1, size, file_));
    }

    bool close() override
    {
        if (!file_)
            return true;
        const bool ok = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }

private:
    std::FILE* file_;
};

} // namespace

std::unique_ptr<InstallReadFile> StdInstallFiles::openRead(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    return std::make_unique<StdReadFile>(file);
}

std::unique_ptr<InstallWriteFile> StdInstallFiles::create(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return nullptr;
    return std::make_unique<StdWriteFile>(file);
}

void StdInstallFiles::keepPermissions(const std::string& source, const std::string& copy)
{
    std::error_code ignored;
    const auto status = std::filesystem::status(source, ignored);
    // Only what a program needs to run is carried over: a copy installed by root that anyone
    // may overwrite, or that runs with its owner's rights, would open the machine to every user.
    using std::filesystem::perms;
    const perms unsafe = perms::others_write | perms::set_uid | perms::set_gid;
    if (!ignored)
        std::filesystem::permissions(copy, status.permissions() & ~unsafe, ignored);
}

bool StdInstallFiles::replace(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void StdInstallFiles::remove(const std::string& path)
{
    std::remove(path.c_str());
}

void StdInstallFiles::makeFolder(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::create_directory(path, ignored);
}

} // namespace installer
