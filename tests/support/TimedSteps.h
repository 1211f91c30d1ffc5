#pragma once
// Steps taken while a modal loop runs: one try a tick of a thread timer. A
// step returns true when it is done and false to be tried again at the next
// tick; after `triesPerStep` tries it is given up and the next one follows.
// A step that runs a nested loop may create timed steps of its own, which
// run in that loop while the outer ones wait.

#include <windows.h>

#include <functional>
#include <vector>

class CTimedSteps {
public:
    using Step = std::function<bool()>;

    explicit CTimedSteps(std::vector<Step> steps, UINT intervalMs = 100, int triesPerStep = 100);
    ~CTimedSteps();
    CTimedSteps(const CTimedSteps&) = delete;
    CTimedSteps& operator=(const CTimedSteps&) = delete;

    bool Finished() const { return m_next >= m_steps.size(); }
    // How many steps are done (or given up).
    size_t Taken() const { return m_next; }
    // The indexes of the steps that were given up.
    const std::vector<size_t>& GivenUp() const { return m_givenUp; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);
    void TryNext();

    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_tries = 0;
    int m_triesPerStep;
    bool m_busy = false;
    UINT_PTR m_timer = 0;
    std::vector<size_t> m_givenUp;
};

// A step that does `action` once.
CTimedSteps::Step Do(std::function<void()> action);
