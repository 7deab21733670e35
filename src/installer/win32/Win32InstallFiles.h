#pragma once
// File access through the Win32 file functions: paths are ANSI code-page texts, and a finished
// copy replaces the installed file in one step.
#include "installer/InstallPlatform.h"

namespace installer {

class Win32InstallFiles : public InstallFiles {
public:
    std::unique_ptr<InstallReadFile> openRead(const std::string& path) override;
    std::unique_ptr<InstallWriteFile> create(const std::string& path) override;
    bool replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override;
    void makeFolder(const std::string& path) override;
};

} // namespace installer
