#include "installer/win32/Win32InstallFiles.h"

#include <windows.h>

namespace installer {

namespace {

class Win32ReadFile : public InstallReadFile {
public:
    explicit Win32ReadFile(HANDLE file) : file_(file) {}
    ~Win32ReadFile() override { CloseHandle(file_); }

    long read(char* buffer, std::size_t size) override
    {
        DWORD got = 0;
        if (!ReadFile(file_, buffer, static_cast<DWORD>(size), &got, nullptr))
            return -1;
        return static_cast<long>(got);
    }

private:
    HANDLE file_;
};

class Win32WriteFile : public InstallWriteFile {
public:
    explicit Win32WriteFile(HANDLE file) : file_(file) {}
    ~Win32WriteFile() override { close(); }

    long write(const char* buffer, std::size_t size) override
    {
        DWORD written = 0;
        if (!WriteFile(file_, buffer, static_cast<DWORD>(size), &written, nullptr))
            return -1;
        return static_cast<long>(written);
    }

    bool close() override
    {
        if (file_ == INVALID_HANDLE_VALUE)
            return true;
        const bool ok = CloseHandle(file_) != 0;
        file_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE file_;
};

} // namespace

std::unique_ptr<InstallReadFile> Win32InstallFiles::openRead(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32ReadFile>(file);
}

std::unique_ptr<InstallWriteFile> Win32InstallFiles::create(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32WriteFile>(file);
}

bool Win32InstallFiles::replace(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void Win32InstallFiles::remove(const std::string& path)
{
    DeleteFileA(path.c_str());
}

void Win32InstallFiles::makeFolder(const std::string& path)
{
    CreateDirectoryA(path.c_str(), nullptr);
}

} // namespace installer
