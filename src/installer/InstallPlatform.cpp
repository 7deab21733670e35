#include "installer/InstallPlatform.h"

#include "installer/InstallPaths.h"

namespace installer {

bool InstallSystem::isProgramFile(const std::string& fileName, const std::string& /*installedPath*/) const
{
    return hasProgramExtension(fileName);
}

} // namespace installer
