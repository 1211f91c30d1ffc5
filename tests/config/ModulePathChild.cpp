// Started from a folder of the test's choosing: writes what it makes of its
// own path to "paths.txt" in its current directory, a line each: its full
// path, the application name and the login backdrop's path.

#include "ConfigStore.h"
#include "WinApp.h"

#include <string>

namespace {

class CModulePathChild : public CWinApp {
public:
    BOOL InitInstance() override {
        std::string text = AfxGetModuleFileName() + "\n" + m_appName + "\n" +
                           CConfigStore().GetLoginBgPath() + "\n";
        HANDLE file = ::CreateFileA("paths.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            ::CloseHandle(file);
        }
        return FALSE;
    }
};

CModulePathChild theApp;

} // namespace
