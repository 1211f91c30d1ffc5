#include "WinApp.h"

#include "Wnd.h"

namespace {

CWinApp* g_app = nullptr;
bool g_controlContainer = false;
thread_local int t_quitCode = 0;

std::string ModuleBaseName() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    size_t slash = name.find_last_of("\\/");
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
