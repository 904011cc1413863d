#include "app/exit_code.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {

TEST(ExitCodeFor, Table) {
  const struct {
    std::optional<WindowEnd> end;
    int code;
  } cases[] = {
      {WindowEnd::Installed, 0},
      {WindowEnd::Closed, 1},
      {WindowEnd::Refused, 3},
      {std::nullopt, 4},
      {WindowEnd::InstalledClientNotStarted, 5},
      {static_cast<WindowEnd>(-1), 1},
      {static_cast<WindowEnd>(42), 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<int>(ExitCodeFor(c.end)), c.code)
        << (c.end ? static_cast<int>(*c.end) : -100);
  }
}

}  // namespace

}  // namespace cumulo
