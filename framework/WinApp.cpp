#include "WinApp.h"

#include "FaultGuard.h"
#include "TextConversion.h"
#include "Wnd.h"

#include <shellapi.h>

#include <algorithm>

namespace {

CWinApp* g_app = nullptr;
bool g_controlContainer = false;
thread_local int t_quitCode = 0;
// The longest path the system has, in characters, with its terminator.
constexpr DWORD kLongestPath = 32768;

std::string ModuleBaseName() {
    std::string name = AfxGetModuleFileName();
    // A trail byte of a double-byte character may look like a backslash.
    size_t slash = MbcsFindLast(name, '\\');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

} // namespace

CWinApp* AfxGetApp() {
    return g_app;
}

std::vector<std::string> AfxGetArguments() {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(ToNarrow(wide[i], CP_ACP));
    ::LocalFree(wide);
    return arguments;
}

std::string AfxGetModuleFileName(HMODULE module, DWORD firstTry) {
    // Read wide, where only the length tells whether the path was cut short: a
    // narrow result in a double-byte code page can stop a byte short of the
    // buffer's end, at a character that did not fit, with no error.
    std::wstring path(std::clamp<DWORD>(firstTry, 1, kLongestPath), L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetModuleFileNameW(module, path.data(), size);
        if (length == 0)
            return {};
        if (length < size && ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            path.resize(length);
            return ToNarrow(path, CP_ACP);
        }
        if (size >= kLongestPath)
            return {};
        path.resize(std::min(size * 2, kLongestPath));
    }
}

HINSTANCE AfxGetInstanceHandle() {
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return ::GetModuleHandleA(nullptr);
}

void AfxEnableControlContainer() {
    g_controlContainer = true;
}

bool AfxControlContainerEnabled() {
    return g_controlContainer;
}

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : ModuleBaseName()) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return AfxGetQuitCode();
}

void CWinApp::SetRegistryKey(const char* key) {
    m_registryKey = key ? key : "";
}

int CWinApp::Run() {
    while (AfxPumpMessage()) {
    }
    return ExitInstance();
}

bool AfxPumpMessage() {
    MSG msg;
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0)
        t_quitCode = static_cast<int>(msg.wParam);
    if (got <= 0)
        return false;
    if (!CWnd::WalkPreTranslateTree(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

int AfxGetQuitCode() {
    return t_quitCode;
}

int AfxWinMain(HINSTANCE instance) {
    InstallFaultGuard();
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return AfxWinMain(instance);
}
