// A fault in the program's own code ends it with the fault's status wherever
// it happens, a window procedure the system calls included (the system would
// swallow it there), and so does an exception nobody catches; an exception
// the program catches does not, one the C++ library throws included.

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

TEST(FaultGuard, AFaultInTheProgramsOwnCodeEndsItWhereverItHappens) {
    const struct {
        const char* mode;
        DWORD status;
    } runs[] = {{"created", EXCEPTION_ACCESS_VIOLATION},
                {"destroyed", EXCEPTION_ACCESS_VIOLATION},
                {"thread", EXCEPTION_ACCESS_VIOLATION},
                {"caught", 7},
                {"uncaught", EXCEPTION_ILLEGAL_INSTRUCTION},
                {"library", 7}};
    for (const auto& run : runs) {
        ChildProcess child(ProgramDirectory() + "\\fault_child.exe", run.mode, ProgramDirectory());
        ASSERT_TRUE(child.WaitForExit(60000)) << run.mode;
        EXPECT_EQ(child.ExitCode(), run.status) << run.mode;
    }
}
