#include <gtest/gtest.h>
TEST(Framework, Placeholder) { SUCCEED(); }
