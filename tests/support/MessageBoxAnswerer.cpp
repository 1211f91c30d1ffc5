#include "MessageBoxAnswerer.h"

#include "UserInput.h"

namespace {

struct Search {
    DWORD processId;
    int buttonId;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    char className[32] = {};
    ::GetClassNameA(hWnd, className, sizeof(className));
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    // A dialog of the process without the button (its login window, say)
    // may lie above the box.
    if (owner == search->processId && lstrcmpA(className, "#32770") == 0 &&
        ::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, search->buttonId)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

std::string TextOf(HWND hWnd) {
    char text[1024] = {};
    ::GetWindowTextA(hWnd, text, sizeof(text));
    return text;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer(int buttonId, DWORD processId, DWORD timeoutMs)
    : m_buttonId(buttonId), m_processId(processId ? processId : ::GetCurrentProcessId()),
      m_timeoutMs(timeoutMs), m_thread([this] { Watch(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    if (m_thread.joinable())
        m_thread.join();
}

bool MessageBoxAnswerer::Wait() {
    if (m_thread.joinable())
        m_thread.join();
    return m_answered;
}

HWND MessageBoxAnswerer::FindBox() const {
    Search search{m_processId, m_buttonId, nullptr};
    ::EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void MessageBoxAnswerer::Click(HWND box) {
    HWND button = ::GetDlgItem(box, m_buttonId);
    if (!button)
        return;
    RECT rect;
    ::GetWindowRect(button, &rect);
    ::SetForegroundWindow(box);
    ClickAt(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void MessageBoxAnswerer::Watch() {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < m_timeoutMs) {
        HWND box = FindBox();
        if (box && ::GetDlgItem(box, m_buttonId)) {
            m_caption = TextOf(box);
            m_text = TextOf(::GetDlgItem(box, 0xFFFF));
            // A box being set up may not take input yet.
            ::Sleep(200);
            Click(box);
            // Wait for the box to go; click again if the first click was lost.
            for (int i = 0; i < 50 && ::IsWindow(box) && ::IsWindowVisible(box); ++i) {
                ::Sleep(100);
                if (i % 10 == 9)
                    Click(box);
            }
            m_answered = !::IsWindow(box) || !::IsWindowVisible(box);
            return;
        }
        ::Sleep(50);
    }
}
