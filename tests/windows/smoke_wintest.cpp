#include <windows.h>

#include <gtest/gtest.h>

namespace cumulo {

TEST(WineSmoke, RunsUnderWine) { EXPECT_NE(GetCurrentProcessId(), 0u); }

}  // namespace cumulo
