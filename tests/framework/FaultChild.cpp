// A framework program that faults in its own code, run as a child process:
// "created" and "destroyed" in a window procedure the system calls while it
// creates or destroys the window, "thread" in a worker thread; "caught"
// throws a C++ exception that a window procedure catches. Built with the
// shipped programs' runtime failures: "uncaught" lets an exception leave a
// thread, "library" catches an error the C++ library throws. Exit status 7
// when the process lives on after it.

#include "WinApp.h"

#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr UINT kThrowAndCatch = WM_APP;
volatile int* g_nowhere = nullptr;
UINT g_faultOn = 0;

LRESULT CALLBACK FaultingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_faultOn)
        *g_nowhere = 1;
    if (message == kThrowAndCatch) {
        try {
            throw std::runtime_error("caught where it is meant to be");
        } catch (const std::exception&) {
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class CFaultApp : public CWinApp {
public:
    BOOL InitInstance() override {
        const std::vector<std::string> arguments = AfxGetArguments();
        const std::string mode = arguments.empty() ? "" : arguments[0];
        if (mode == "thread") {
            std::thread([] { *g_nowhere = 1; }).join();
            return FALSE;
        }
        if (mode == "uncaught") {
            std::thread([] { throw std::runtime_error("nobody catches this"); }).join();
            return FALSE;
        }
        if (mode == "library") {
            try {
                (void)std::string("short").substr(arguments.size() + 9);
            } catch (const std::exception&) {
            }
            return FALSE;
        }
        g_faultOn = mode == "created" ? WM_CREATE : mode == "destroyed" ? WM_DESTROY : 0;
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &FaultingProc;
        windowClass.hInstance = m_hInstance;
        windowClass.lpszClassName = L"FaultChild";
        ::RegisterClassW(&windowClass);
        HWND window = ::CreateWindowW(L"FaultChild", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                      m_hInstance, nullptr);
        if (mode == "caught")
            ::SendMessageW(window, kThrowAndCatch, 0, 0);
        ::DestroyWindow(window);
        return FALSE;
    }
    int ExitInstance() override { return 7; }
};

CFaultApp theApp;

} // namespace
