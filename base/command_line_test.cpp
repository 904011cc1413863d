#include "base/command_line.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {

struct OptionCase {
  std::vector<std::wstring> args;
  bool found;
  std::wstring value;
};

TEST(FindOptionValue, Table) {
  const OptionCase cases[] = {
      {{L"app.exe", L"--log", L"a.txt"}, true, L"a.txt"},
      {{L"app.exe", L"--log", L"a.txt", L"--log", L"b.txt"}, true, L"a.txt"},
      {{L"app.exe", L"--log"}, false, L""},
      {{L"app.exe", L"--log", L""}, true, L""},
      {{L"app.exe", L"--LOG", L"a.txt"}, false, L""},
      {{L"app.exe", L"--log=a.txt"}, false, L""},
      {{L"app.exe", L"x--log", L"a.txt"}, false, L""},
      // The value itself may look like the option.
      {{L"app.exe", L"--log", L"--log"}, true, L"--log"},
      {{L"--log", L"a.txt"}, true, L"a.txt"},
      {{}, false, L""},
  };
  for (const auto& c : cases) {
    bool found = !c.found;
    EXPECT_EQ(FindOptionValue(c.args, L"--log", &found), c.value);
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(FindOptionValue(c.args, L"--log"), c.value);
  }
}

}  // namespace

}  // namespace cumulo
