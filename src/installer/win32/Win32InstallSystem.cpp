#include "installer/win32/Win32InstallSystem.h"

#include "installer/InstallPaths.h"
#include "installer/InstallTexts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace installer {

namespace {

constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string readString(HKEY key, const char* name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS
        || (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return {};
    std::vector<char> value(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return {};
    return std::string(value.data());
}

FolderLookup lookUp(HKEY root, const char* keyName, const char* valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return {};
    FolderLookup lookup{true, readString(key, valueName)};
    RegCloseKey(key);
    return lookup;
}

std::wstring wide(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, converted.data(), length);
    converted.resize(converted.size() - 1);
    return converted;
}

std::string ansi(const std::wstring& text)
{
    const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, converted.data(), length, nullptr, nullptr);
    converted.resize(converted.size() - 1);
    return converted;
}

std::optional<std::string> programsFromShellFolders(bool windowsNt)
{
    constexpr const char* kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    if (!windowsNt) {
        const FolderLookup lookup = lookUp(HKEY_CURRENT_USER, kShellFolders, "Programs");
        return lookup.value.empty() ? std::nullopt : std::optional(lookup.value);
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(kShellFolders).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG result = RegQueryValueExW(key, L"Programs", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || value[0] == L'\0')
        return std::nullopt;
    return ansi(value);
}

template <typename Link, typename Text>
void saveLink(const IID& linkInterface, const Text& target, const Text& workingFolder, const std::wstring& linkFile)
{
    Link* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, linkInterface,
                                reinterpret_cast<void**>(&link))))
        return;
    link->SetPath(target.c_str());
    link->SetArguments(Text().c_str());
    link->SetWorkingDirectory(workingFolder.c_str());
    link->SetShowCmd(SW_SHOW);
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        file->Save(linkFile.c_str(), TRUE);
        file->Release();
    }
    link->Release();
}

} // namespace

bool isWindowsNt()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string Win32InstallSystem::defaultProgramFilesBase() const
{
    return kDefaultProgramFilesBase;
}

FolderLookup Win32InstallSystem::machineProgramFiles()
{
    return lookUp(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
}

FolderLookup Win32InstallSystem::userAppData()
{
    return lookUp(HKEY_CURRENT_USER, "Volatile Environment", "APPDATA");
}

std::string Win32InstallSystem::windowsFolder()
{
    char folder[256] = {};
    const UINT length = GetWindowsDirectoryA(folder, sizeof(folder));
    return withSeparator(length < sizeof(folder) ? std::string(folder, length) : std::string(), '\\');
}

std::optional<std::string> Win32InstallSystem::programsFolder()
{
    if (auto folder = programsFromShellFolders(windowsNt_))
        return folder;
    // The value is written by the shell the first time it is asked; a fresh profile may lack it.
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::string(folder);
    return std::nullopt;
}

std::string Win32InstallSystem::desktopFolder()
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) {
        MessageBoxA(nullptr, "Couldn't get pointer to IMalloc interface.", "SHGetMalloc(pMalloc)", MB_ICONERROR);
        return {};
    }
    std::string folder;
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &items))) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(items, path))
            folder = path;
        allocator->Free(items);
    }
    allocator->Release();
    return folder;
}

void Win32InstallSystem::writeUninstallEntry(const std::string& folderName, const std::string& uninstallString)
{
    HKEY key = nullptr;
    const std::string keyName = kUninstallKey + folderName;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return;
    auto set = [&](const char* name, const std::string& value) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    };
    set("DisplayName", folderName);
    set("UninstallString", uninstallString);
    RegCloseKey(key);
}

void Win32InstallSystem::createShortcut(ShortcutKind kind, const std::string& linkFile, const std::string& target,
                                        const std::string& workingFolder)
{
    const bool wideLink = windowsNt_ && kind == ShortcutKind::StartMenu;
    if (wideLink)
        saveLink<IShellLinkW>(IID_IShellLinkW, wide(target), wide(workingFolder), wide(linkFile));
    else
        saveLink<IShellLinkA>(IID_IShellLinkA, target, workingFolder, wide(linkFile));

    const std::string folder = folderOfPath(linkFile, '\\');
    if (wideLink) {
        const std::wstring path = wide(linkFile);
        const std::wstring parent = wide(folder);
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, path.c_str(), nullptr);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, parent.c_str(), nullptr);
    } else {
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHA, linkFile.c_str(), nullptr);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, folder.c_str(), nullptr);
    }
}

std::string Win32InstallSystem::shortcutFileName(const std::string& displayName) const
{
    return displayName + ".lnk";
}

void Win32InstallSystem::shellOpen(const std::string& path, const std::string& workingFolder)
{
    ShellExecuteA(owner_, "open", path.c_str(), nullptr, workingFolder.empty() ? nullptr : workingFolder.c_str(),
                  SW_SHOW);
}

} // namespace installer
