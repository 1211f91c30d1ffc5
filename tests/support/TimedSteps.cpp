#include "TimedSteps.h"

#include <map>

namespace {

std::map<UINT_PTR, CTimedSteps*>& Timers() {
    static std::map<UINT_PTR, CTimedSteps*> timers;
    return timers;
}

} // namespace

CTimedSteps::CTimedSteps(std::vector<Step> steps, UINT intervalMs, int triesPerStep)
    : m_steps(std::move(steps)), m_triesPerStep(triesPerStep),
      m_timer(::SetTimer(nullptr, 0, intervalMs, &CTimedSteps::Tick)) {
    Timers()[m_timer] = this;
}

CTimedSteps::~CTimedSteps() {
    ::KillTimer(nullptr, m_timer);
    Timers().erase(m_timer);
}

void CALLBACK CTimedSteps::Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    auto it = Timers().find(timer);
    if (it != Timers().end())
        it->second->TryNext();
}

void CTimedSteps::TryNext() {
    // A step still running (in a nested loop) is not entered again.
    if (m_busy || Finished())
        return;
    m_busy = true;
    bool done = m_steps[m_next]();
    if (!done && ++m_tries >= m_triesPerStep) {
        m_givenUp.push_back(m_next);
        done = true;
    }
    if (done) {
        ++m_next;
        m_tries = 0;
    }
    m_busy = false;
}

CTimedSteps::Step Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return true;
    };
}
