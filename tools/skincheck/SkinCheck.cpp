// The skin checker: reads a skin as the client does and reports every
// mistake it finds, one line each, then a summary.
//
//   skincheck [SKIN_DIR]
//
// SKIN_DIR (by default the current directory) holds config.xml and data\.
// Exit status: 0 when clean, 1 with warnings only, 2 with errors. Nothing in
// the folder is ever changed.

#include "SkinChecker.h"
#include "Afx.h"

#include <gdiplus.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kUsageStatus = 3;

// COM and GDI+ for as long as the check runs, as in the client.
class CCheckEnvironment {
public:
    CCheckEnvironment() {
        ::CoInitialize(nullptr);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~CCheckEnvironment() {
        Gdiplus::GdiplusShutdown(m_token);
        ::CoUninitialize();
    }
    CCheckEnvironment(const CCheckEnvironment&) = delete;
    CCheckEnvironment& operator=(const CCheckEnvironment&) = delete;

private:
    ULONG_PTR m_token = 0;
};

} // namespace

int main() {
    const std::vector<std::string> arguments = AfxGetArguments();
    if (arguments.size() > 1) {
        std::fputs("usage: skincheck [SKIN_DIR]\n", stderr);
        return kUsageStatus;
    }
    if (!arguments.empty() && !::SetCurrentDirectoryA(arguments[0].c_str())) {
        std::fprintf(stderr, "skincheck: %s: no such folder\n", arguments[0].c_str());
        return kUsageStatus;
    }
    std::vector<Finding> findings;
    {
        CCheckEnvironment environment;
        findings = CSkinChecker().Run();
    }
    int errors = 0;
    for (const Finding& finding : findings) {
        std::printf("%s\n", FormatFinding(finding).c_str());
        errors += finding.severity == Severity::Error;
    }
    const int warnings = static_cast<int>(findings.size()) - errors;
    std::printf("skincheck: %d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings,
                warnings == 1 ? "" : "s");
    return ExitStatusOf(findings);
}
