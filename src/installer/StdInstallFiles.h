#pragma once
// File access over the standard library, for systems where a rename replaces its target in one
// step (POSIX).
#include "installer/InstallPlatform.h"

namespace installer {

class StdInstallFiles : public InstallFiles {
public:
    std::unique_ptr<InstallReadFile> openRead(const std::string& path) override;
    std::unique_ptr<InstallWriteFile> create(const std::string& path) override;
    void keepPermissions(const std::string& source, const std::string& copy) override;
    bool replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override;
    void makeFolder(const std::string& path) override;
};

} // namespace installer
