#include <gtest/gtest.h>
TEST(App, Placeholder) { SUCCEED(); }
