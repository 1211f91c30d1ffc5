// Start-up time of the client: from process start until its login window is
// visible on screen, against the floor (only the platform work its first
// screen needs) and a bare program that shows one plain window. The three run
// alternately in the same Wine prefix and display; each is ended as soon as
// its window shows. A benchmark: it reports, never fails.
//
//   startup_bench CLIENT_DIR [RUNS [PROGRAM]]
//
// CLIENT_DIR holds the client, config.xml and data\ (the staged package);
// PROGRAM is the client's file name there (client.exe, or a branded
// release's <id>.exe).

#include "BenchClock.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisible(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    RECT rect;
    if (owner == search->processId && ::IsWindowVisible(hWnd) && ::GetWindowRect(hWnd, &rect) &&
        rect.right - rect.left > 100) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess until the program shows a window, or -1.
double TimeToWindow(const std::string& program, const std::string& directory) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + program + "\"";
    double start = NowMs();
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.c_str(), &startup, &info))
        return -1;
    double elapsed = -1;
    while (NowMs() - start < 30000) {
        Search search{info.dwProcessId, false};
        ::EnumWindows(&FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            elapsed = NowMs() - start;
            break;
        }
        if (::WaitForSingleObject(info.hProcess, 2) == WAIT_OBJECT_0)
            break;
    }
    ::TerminateProcess(info.hProcess, 0);
    ::WaitForSingleObject(info.hProcess, 5000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full = path;
    return full.substr(0, full.find_last_of('\\'));
}

struct Contender {
    const char* name;
    std::string program;
    std::vector<double> times;
};

void PrintTimes(const Contender& c) {
    auto [low, high] = std::minmax_element(c.times.begin(), c.times.end());
    std::printf("  %-7s median %6.1f ms (min %.1f, max %.1f)\n", c.name, Median(c.times),
                c.times.empty() ? 0 : *low, c.times.empty() ? 0 : *high);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: startup_bench CLIENT_DIR [RUNS [PROGRAM]]\n");
        return 2;
    }
    std::string clientDir = argv[1];
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    std::string program = argc > 3 ? argv[3] : "client.exe";
    std::vector<Contender> contenders = {
        {"client", clientDir + "\\" + program, {}},
        {"floor", ProgramDirectory() + "\\startup_floor.exe", {}},
        {"bare", ProgramDirectory() + "\\bare_window.exe", {}},
    };
    std::vector<double> overFloor, overBare;
    for (Contender& c : contenders) // warm-up of each
        TimeToWindow(c.program, clientDir);
    for (int i = 0; i < runs; ++i) {
        double t[3];
        bool shown = true;
        for (size_t k = 0; k < contenders.size(); ++k) {
            t[k] = TimeToWindow(contenders[k].program, clientDir);
            shown = shown && t[k] > 0;
        }
        if (!shown) {
            std::printf("run %d: a window never showed (%.1f, %.1f, %.1f)\n", i, t[0], t[1], t[2]);
            continue;
        }
        for (size_t k = 0; k < contenders.size(); ++k)
            contenders[k].times.push_back(t[k]);
        overFloor.push_back(t[0] / t[1]);
        overBare.push_back(t[0] / t[2]);
    }
    std::printf("start-up to a visible window, %zu runs each, alternating\n", overFloor.size());
    for (const Contender& c : contenders)
        PrintTimes(c);
    std::printf("  client / floor, median of the run-by-run ratios: %.2f\n", Median(overFloor));
    std::printf("  client / bare,  median of the run-by-run ratios: %.2f\n", Median(overBare));
    return 0;
}
