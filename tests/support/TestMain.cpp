// The test programs' main: the client's code faults here as it does in the
// client, ending the program, rather than passing unseen where the system
// swallows an exception raised inside a window procedure.

#include "FaultGuard.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    InstallFaultGuard();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
