#pragma once
// Answers a message box as a user would: waits for it to appear, then moves
// the mouse over one of its buttons and clicks.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class MessageBoxAnswerer {
public:
    // Watches for a message box of process `processId` (0: this process)
    // and clicks its button `buttonId` (IDOK, IDCANCEL, ...).
    explicit MessageBoxAnswerer(int buttonId, DWORD processId = 0, DWORD timeoutMs = 30000);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // Waits until the box has been answered or the time is up; true if answered.
    bool Wait();
    // Whether the box has been answered, without waiting.
    bool Answered() const { return m_answered; }
    // What the answered box showed.
    const std::string& Caption() const { return m_caption; }
    const std::string& Text() const { return m_text; }

private:
    void Watch();
    HWND FindBox() const;
    void Click(HWND box);

    int m_buttonId;
    DWORD m_processId;
    DWORD m_timeoutMs;
    std::string m_caption;
    std::string m_text;
    std::atomic<bool> m_answered{false};
    std::thread m_thread;
};
