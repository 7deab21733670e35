#include "installer/InstallPaths.h"

#include <algorithm>
#include <cctype>

namespace installer {

namespace {

bool isStepSeparator(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

std::string withSeparator(const std::string& folder, char separator)
{
    if (!folder.empty() && folder.back() == separator)
        return folder;
    return folder + separator;
}

std::string withSeparatorIfAny(const std::string& folder, char separator)
{
    return folder.empty() ? folder : withSeparator(folder, separator);
}

std::string joinPath(const std::string& folder, const std::string& name, char separator)
{
    std::string joined = folder + name;
    std::replace(joined.begin() + static_cast<std::ptrdiff_t>(folder.size()), joined.end(), '\\', separator);
    return joined;
}

std::string parentOfName(const std::string& name)
{
    const auto last = name.find_last_of('\\');
    return last == std::string::npos ? std::string() : name.substr(0, last);
}

std::string folderOfPath(const std::string& path, char separator)
{
    const auto last = path.find_last_of(separator);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool staysInsideFolder(const std::string& name)
{
    if (name.empty() || isStepSeparator(name.front()) || name.find(':') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        auto end = start;
        while (end < name.size() && !isStepSeparator(name[end]))
            ++end;
        if (name.compare(start, end - start, "..") == 0 && end - start == 2)
            return false;
        start = end + 1;
    }
    return true;
}

bool hasProgramExtension(const std::string& name)
{
    const auto dot = name.find_last_of('.');
    const auto step = name.find_last_of("\\/");
    if (dot == std::string::npos || (step != std::string::npos && step > dot))
        return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension.find("EXE") != std::string::npos;
}

} // namespace installer

namespace installer {

std::string destinationFromBrowse(const std::string& chosenFolder, const std::string& folderName, char separator)
{
    return withSeparator(chosenFolder, separator) + folderName;
}

} // namespace installer
