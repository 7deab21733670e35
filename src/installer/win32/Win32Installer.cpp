// The installer for Windows: a plain Win32 program with a welcome window, a progress window and
// message boxes. The script, the copying and the run are the portable core's.
#include "installer/InstallPaths.h"
#include "installer/InstallRun.h"
#include "installer/InstallScript.h"
#include "installer/InstallTexts.h"
#include "installer/win32/Win32InstallFiles.h"
#include "installer/win32/Win32InstallSystem.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace installer;

namespace {

constexpr const char* kWelcomeClass = "TolvarClass";
constexpr const char* kProgressClass = "InstavorWndclass";
// Box texts are read with room to spare so that a text over the limit is seen and refused,
// never cut.
constexpr int kBoxTextBuffer = 1024;

struct Fonts {
    HFONT heading = nullptr;
    HFONT normal = nullptr;
};

struct WelcomeControls {
    HWND window = nullptr;
    HWND heading = nullptr;
    HWND source = nullptr;
    HWND destination = nullptr;
    HWND browse = nullptr;
    HWND desktopCheck = nullptr;
    HWND startCheck = nullptr;
    HWND next = nullptr;
    HWND cancel = nullptr;
};

struct ProgressControls {
    HWND window = nullptr;
    HWND heading = nullptr;
    HWND status = nullptr;
};

// The run-wide state of the one installer thread.
struct Installer {
    HINSTANCE instance = nullptr;
    short screenWidth = 0;
    short screenHeight = 0;
    HBRUSH buttonFace = nullptr;
    Fonts fonts;
    bool silent = false;
    InstallScript script;
    std::string installerFolder;
    WelcomeControls welcome;
    ProgressControls progress;
    Win32InstallSystem* system = nullptr;
    Win32InstallFiles* files = nullptr;
};

Installer app;

int centredX()
{
    return (app.screenWidth - kWindowWidth) / 2;
}

int centredY()
{
    return (app.screenHeight - kWindowHeight) / 2;
}

int clientWidth(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return client.right - client.left;
}

HWND child(HWND parent, DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y,
           int width, int height, HFONT font)
{
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   parent, nullptr, app.instance, nullptr);
    if (font)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
}

void separators(HWND parent)
{
    const int width = clientWidth(parent);
    child(parent, WS_EX_STATICEDGE, "STATIC", "", SS_SIMPLE, 0, 279, width, 2, nullptr);
    child(parent, WS_EX_STATICEDGE, "STATIC", "", SS_SIMPLE, 0, 49, width, 2, nullptr);
}

std::string windowText(HWND control)
{
    std::vector<char> text(kBoxTextBuffer + 1, '\0');
    GetWindowTextA(control, text.data(), kBoxTextBuffer + 1);
    return std::string(text.data());
}

LRESULT colourStatic(WPARAM wParam, LPARAM lParam, HWND whiteA, HWND whiteB)
{
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (control == whiteA || control == whiteB)
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return reinterpret_cast<LRESULT>(app.buttonFace);
}

bool registerClass(const char* name, WNDPROC procedure)
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = app.instance;
    windowClass.hIcon = LoadIconA(app.instance, "MAINICON");
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = app.buttonFace;
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

// The progress window as the core's run sees it.
class ProgressWindow : public RunWindow {
public:
    void setStatus(const std::string& text) override
    {
        SetWindowTextA(app.progress.status, text.c_str());
        // The run holds the thread; painting the status at once keeps the copy visible.
        UpdateWindow(app.progress.status);
    }

    void setWaitCursor(bool wait) override { SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_ARROW)); }

    void showCopyError(const std::string& text) override
    {
        MessageBoxA(nullptr, text.c_str(), nullptr, MB_TASKMODAL | MB_ICONINFORMATION | MB_OK);
    }

    void showCompletion(const std::string& text) override
    {
        MessageBoxA(app.progress.window, text.c_str(), kFinishedCaption, MB_TASKMODAL | MB_ICONINFORMATION | MB_OK);
    }

    void closeProgress() override
    {
        DestroyWindow(app.progress.window);
        app.progress = {};
        UnregisterClassA(kProgressClass, app.instance);
        app.system->setOwner(nullptr);
    }
};

LRESULT CALLBACK progressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CTLCOLORSTATIC:
        return colourStatic(wParam, lParam, app.progress.heading, app.progress.status);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void createProgressWindow()
{
    registerClass(kProgressClass, progressProcedure);
    HWND window = CreateWindowExA(0, kProgressClass, kWindowTitle, WS_CAPTION | WS_SYSMENU, centredX(), centredY(),
                                  kWindowWidth, kWindowHeight, app.welcome.window, nullptr, app.instance, nullptr);
    app.progress.window = window;
    const int width = clientWidth(window);
    app.progress.heading =
        child(window, 0, "STATIC", kProgressHeading, SS_CENTER, -1, -1, width + 1, 49, app.fonts.heading);
    app.progress.status =
        child(window, WS_EX_CLIENTEDGE, "STATIC", "", SS_CENTER, 10, 70, width - 20, 200, app.fonts.normal);
    separators(window);
    child(window, 0, "BUTTON", kNextButton, WS_DISABLED, width - 194, 290, 89, 25, app.fonts.normal);
    child(window, 0, "BUTTON", kCancelButton, WS_DISABLED, width - 97, 290, 89, 25, app.fonts.normal);
}

void letPaint()
{
    MSG message;
    for (int round = 0; round < 30; ++round) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void runInstallation()
{
    RunChoices choices;
    choices.desktopWanted = SendMessageA(app.welcome.desktopCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    choices.startWanted = SendMessageA(app.welcome.startCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    choices.sourceText = windowText(app.welcome.source);
    choices.destinationText = windowText(app.welcome.destination);
    choices.silent = app.silent;
    if (!fitsFolderText(choices.destinationText)) {
        MessageBoxA(app.welcome.window, kDestinationTooLong, nullptr, MB_ICONERROR | MB_OK);
        if (!app.silent)
            return;
        PostQuitMessage(0);
        return;
    }
    ShowWindow(app.welcome.window, SW_HIDE);
    createProgressWindow();
    app.system->setOwner(app.progress.window);
    ShowWindow(app.progress.window, SW_SHOW);
    letPaint();
    ProgressWindow progress;
    installer::runInstallation(app.script, choices, *app.system, *app.files, progress);
    PostQuitMessage(0);
}

void browseClick()
{
    BROWSEINFOA browse{};
    browse.hwndOwner = app.welcome.window;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST items = SHBrowseForFolderA(&browse);
    if (!items)
        return;
    char folder[MAX_PATH] = {};
    const bool chosen = SHGetPathFromIDListA(items, folder);
    CoTaskMemFree(items);
    if (chosen)
        SetWindowTextA(app.welcome.destination, destinationFromBrowse(folder, app.script.folderName, '\\').c_str());
}

void cancelClick()
{
    if (MessageBoxA(app.welcome.window, kQuitQuestion, kQuitCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        PostQuitMessage(0);
}

LRESULT CALLBACK welcomeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        if (wParam == 0) {
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (control == app.welcome.browse)
                browseClick();
            else if (control == app.welcome.next)
                runInstallation();
            else if (control == app.welcome.cancel)
                cancelClick();
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        return colourStatic(wParam, lParam, app.welcome.heading, nullptr);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HFONT makeFont(int height, int weight)
{
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
}

void createWelcomeWindow()
{
    HWND window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kWelcomeClass, kWindowTitle,
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX, centredX(), centredY(),
                                  kWindowWidth, kWindowHeight, nullptr, nullptr, app.instance, nullptr);
    WelcomeControls& c = app.welcome;
    c.window = window;
    app.fonts.heading = makeFont(18, 700);
    app.fonts.normal = makeFont(8, 400);
    const HFONT heading = app.fonts.heading;
    const HFONT normal = app.fonts.normal;
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(normal), TRUE);
    const int width = clientWidth(window);
    const std::string welcome = kWelcomePrefix + app.script.productName + "!";
    constexpr DWORD kBoxExStyle = WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT;

    c.heading = child(window, WS_EX_STATICEDGE, "STATIC", welcome.c_str(), SS_CENTER, -1, -1, width + 1, 49, heading);
    child(window, 0, "STATIC", kSourceLabel, 0, 8, 64, 150, 21, normal);
    child(window, 0, "STATIC", kDestinationLabel, 0, 8, 88, 150, 21, normal);
    child(window, 0, "STATIC", kNote, 0, 8, 224, 503, 53, normal);
    c.source = child(window, kBoxExStyle, "EDIT", app.installerFolder.c_str(), ES_READONLY | ES_AUTOHSCROLL, 160, 64,
                     347, 21, normal);
    c.destination = child(window, kBoxExStyle, "EDIT", app.script.defaultDestination.c_str(), ES_AUTOHSCROLL, 160,
                          88, 347, 21, normal);
    c.browse = child(window, 0, "BUTTON", kBrowseButton, WS_TABSTOP, 160, 115, 89, 25, normal);
    separators(window);
    c.desktopCheck = child(window, 0, "BUTTON", kDesktopCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 8, 150, 300, 21, nullptr);
    c.startCheck = child(window, 0, "BUTTON", kStartCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 8, 171, 300, 21, nullptr);
    c.next = child(window, 0, "BUTTON", kNextButton, BS_DEFPUSHBUTTON | WS_TABSTOP, width - 194, 290, 89, 25, normal);
    c.cancel = child(window, 0, "BUTTON", kCancelButton, WS_TABSTOP, width - 97, 290, 89, 25, normal);
    SendMessageA(c.desktopCheck, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(c.startCheck, BM_SETCHECK, BST_CHECKED, 0);
}

std::string installerFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return folderOfPath(std::string(path, length < MAX_PATH ? length : 0), '\\');
}

void messageLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int install()
{
    Win32InstallSystem system(isWindowsNt());
    Win32InstallFiles files;
    app.system = &system;
    app.files = &files;
    app.installerFolder = installerFolder();
    std::optional<InstallScript> script = readInstallScriptFile(app.installerFolder + kScriptFileName, system);
    if (!script) {
        MessageBoxA(nullptr, kCorruptedText, kCorruptedCaption, MB_ICONINFORMATION);
        return 0;
    }
    app.script = std::move(*script);

    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    app.screenWidth = static_cast<short>(desktop.right);
    app.screenHeight = static_cast<short>(desktop.bottom);
    app.buttonFace = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    if (!registerClass(kWelcomeClass, welcomeProcedure)) {
        MessageBoxA(nullptr, "Can not Register Class", "", MB_TASKMODAL | MB_ICONERROR);
        DeleteObject(app.buttonFace);
        return 0;
    }
    createWelcomeWindow();
    if (app.silent) {
        runInstallation();
    } else {
        ShowWindow(app.welcome.window, SW_SHOW);
        messageLoop();
    }
    DeleteObject(app.buttonFace);
    DeleteObject(app.fonts.heading);
    DeleteObject(app.fonts.normal);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    app.instance = instance;
    app.silent = __argc > 1 && isSilentSwitch(__argv[1]);
    const HRESULT started = CoInitialize(nullptr);
    if (FAILED(started)) {
        char text[64];
        std::snprintf(text, sizeof(text), "CoInitialize failed (0x%.8lx)", static_cast<unsigned long>(started));
        MessageBoxA(nullptr, text, nullptr, MB_ICONERROR);
        return 0;
    }
    const int exitCode = install();
    CoUninitialize();
    return exitCode;
}
