// Start-up time of the client: from process start until its login window is
// visible on screen, against a bare program that shows one plain window. The
// two run alternately in the same Wine prefix and display; the program is
// ended as soon as its window shows. A benchmark: it reports, never fails.
//
//   startup_bench CLIENT_DIR [RUNS]
//
// CLIENT_DIR holds client.exe, config.xml and data\ (the staged package).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double NowMs() {
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

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

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: startup_bench CLIENT_DIR [RUNS]\n");
        return 2;
    }
    std::string clientDir = argv[1];
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    std::string client = clientDir + "\\client.exe";
    std::string bare = ProgramDirectory() + "\\bare_window.exe";

    std::vector<double> clientTimes, bareTimes, ratios;
    TimeToWindow(bare, clientDir); // warm-up of both
    TimeToWindow(client, clientDir);
    for (int i = 0; i < runs; ++i) {
        double c = TimeToWindow(client, clientDir);
        double b = TimeToWindow(bare, clientDir);
        if (c < 0 || b <= 0) {
            std::printf("run %d: a window never showed (client %.1f, bare %.1f)\n", i, c, b);
            continue;
        }
        clientTimes.push_back(c);
        bareTimes.push_back(b);
        ratios.push_back(c / b);
    }
    std::printf("start-up to a visible window, %zu runs each, alternating\n", ratios.size());
    std::printf("  client  median %.1f ms (min %.1f, max %.1f)\n", Median(clientTimes),
                clientTimes.empty() ? 0 : *std::min_element(clientTimes.begin(), clientTimes.end()),
                clientTimes.empty() ? 0
                                    : *std::max_element(clientTimes.begin(), clientTimes.end()));
    std::printf("  bare    median %.1f ms (min %.1f, max %.1f)\n", Median(bareTimes),
                bareTimes.empty() ? 0 : *std::min_element(bareTimes.begin(), bareTimes.end()),
                bareTimes.empty() ? 0 : *std::max_element(bareTimes.begin(), bareTimes.end()));
    std::printf("  client / bare, median of the run-by-run ratios: %.2f\n", Median(ratios));
    return 0;
}
