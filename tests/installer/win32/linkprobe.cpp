// Helper of the Wine test.
//   linkprobe.exe LINK OUT  writes the link's target and working folder to OUT, one per line,
//                           as the shell's link object reads them back.
//   linkprobe.exe           writes "started" into started.txt beside itself: the installed
//                           program was run.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

std::wstring wide(const char* text)
{
    wchar_t converted[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, converted, MAX_PATH);
    return converted;
}

int readLink(const char* linkFile, const char* outFile)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return 2;
    IPersistFile* file = nullptr;
    int result = 3;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(wide(linkFile).c_str(), STGM_READ))) {
            char target[MAX_PATH] = {};
            char folder[MAX_PATH] = {};
            link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetWorkingDirectory(folder, MAX_PATH);
            if (FILE* out = std::fopen(outFile, "w")) {
                std::fprintf(out, "%s\n%s\n", target, folder);
                std::fclose(out);
                result = 0;
            }
        }
        file->Release();
    }
    link->Release();
    return result;
}

int markStarted()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string mark = path;
    mark = mark.substr(0, mark.find_last_of('\\') + 1) + "started.txt";
    if (FILE* out = std::fopen(mark.c_str(), "w")) {
        std::fputs("started\n", out);
        std::fclose(out);
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 3)
        return markStarted();
    CoInitialize(nullptr);
    const int result = readLink(__argv[1], __argv[2]);
    CoUninitialize();
    return result;
}
