#include "MainApp.h"

#include "ConfigStore.h"
#include "MainDlg.h"

#include <commctrl.h>
#include <gdiplus.h>

ULONG_PTR g_gdiplusToken = 0;

namespace {

// The key name the application wizard suggests; nothing is stored under it.
constexpr char kRegistryKey[] = "应用程序向导生成的本地应用程序";

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
}

void StartGdiplus() {
    Gdiplus::GdiplusStartupInput input; // version 1, no callback, nothing suppressed
    Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr);
}

} // namespace

CMainApp::CMainApp() : CWinApp(nullptr) {}

CMainApp::~CMainApp() = default;

BOOL CMainApp::InitInstance() {
    RegisterCommonControls();
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(kRegistryKey);
    CConfigStore::Instance().Load();
    // GDI+ must run before the login window loads its backdrop image.
    StartGdiplus();
    RunWindows();
    // Every message has been pumped by the windows' own modal loops.
    return FALSE;
}

void CMainApp::RunWindows() {
    CMainDlg login;
    m_pMainWnd = &login;
    login.DoModal();
}

int CMainApp::ExitInstance() {
    Gdiplus::GdiplusShutdown(g_gdiplusToken);
    return CWinApp::ExitInstance();
}
