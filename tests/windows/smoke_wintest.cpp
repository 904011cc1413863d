#include <windows.h>

#include <gtest/gtest.h>

TEST(WineSmoke, RunsUnderWine) { EXPECT_NE(GetCurrentProcessId(), 0u); }
