// The client side of the hand-over tests, run as a child process: two real
// browser hosts navigate, one after the other, to the addresses given on the
// command line ("1:address" in the first host, "2:address" in the second).
// Exit status: 1 from the hand-over itself; 0 when every navigation passed
// without one; 3 when a navigation never reached its host; 2 when the
// windows or the browsers could not be set up.

#include "SimpleBrowser.h"
#include "UiPump.h"

#include <ole2.h>

#include <string>

namespace {

class CCountingBrowser : public SimpleBrowser {
public:
    int m_seen = 0;

    bool OnBeforeNavigate2(std::string url, std::string frame, void* postData, DWORD size,
                           std::string headers) override {
        ++m_seen;
        return SimpleBrowser::OnBeforeNavigate2(url, frame, postData, size, headers);
    }
};

bool AddPlaceholder(CWnd& parent, int id, int x) {
    return ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, x, 0, 150, 150, parent.m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                             nullptr) != nullptr;
}

bool NavigateAndWait(CCountingBrowser& host, const std::string& url) {
    int before = host.m_seen;
    host.Navigate(url.c_str());
    return PumpUntil([&] { return host.m_seen > before; }, 15000);
}

} // namespace

int main(int argc, char** argv) {
    if (FAILED(::OleInitialize(nullptr)))
        return 2;
    AfxEnableControlContainer();
    CWnd parent;
    RECT rect{0, 0, 400, 200};
    if (!parent.CreateEx(0, AfxRegisterWndClass(0), "hand-over", WS_POPUP | WS_VISIBLE, rect,
                         nullptr, 0) ||
        !AddPlaceholder(parent, 1012, 0) || !AddPlaceholder(parent, 1020, 200))
        return 2;
    CCountingBrowser hosts[2];
    if (!hosts[0].CreateBrowser("about:blank", 0, 0, 150, 150, &parent, 1012) ||
        !hosts[1].CreateBrowser("about:blank", 200, 0, 150, 150, &parent, 1020))
        return 2;
    if (!PumpUntil([&] { return hosts[0].m_seen > 0 && hosts[1].m_seen > 0; }, 15000))
        return 3;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.size() < 2 || arg[1] != ':')
            return 2;
        if (!NavigateAndWait(hosts[arg[0] == '2' ? 1 : 0], arg.substr(2)))
            return 3;
    }
    return 0;
}
