// The fuzz targets' model of CommandLineToArgvW, held against the real function: the
// quoting target's property is only as good as this agreement.
#include <windows.h>
#include <gtest/gtest.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "fuzz/argv_model.h"
#include "install/app_launcher.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace {

std::vector<std::wstring> RealSplit(const std::wstring& line) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
  const ScopedLocal block(argv);
  std::vector<std::wstring> args;
  for (int i = 0; argv != nullptr && i < count; ++i) args.emplace_back(argv[i]);
  return args;
}

}  // namespace

TEST(ArgvModel, AgreesWithCommandLineToArgvW) {
  const std::wstring client = L"C:\\Users\\u\\AppData\\Roaming\\Cumulo\\Cumulo.exe";
  const std::wstring lines[] = {
      L"C:\\a\\b.exe",
      L"C:\\a\\b.exe   ",
      L"C:\\a\\b.exe x  y\tz",
      L"\"C:\\Program Files\\b.exe\" x",
      L"\"C:\\a\\b.exe\"x y",
      L"C:\\a\\\"b c\\\" d",
      L"p \"a b\" \"\" c",
      L"p a\\b a\\\\b a\\\\\\b",
      L"p a\\\"b a\\\\\"b c\" a\\\\\\\"b",
      L"p \"a\\\\\" b",
      L"p \"a\"\"b\" c",
      L"p \"a\"\"\"b\" c d",
      L"p \"\"\"\" x",
      L"p \"\"\"\"\"\" x",
      L"p a\"b c\"d e",
      L"p \"unterminated  b",
      L"p \\\\\\\\\"x y\"",
      L"p \x0401\x00e9 \"\xD83D\xDE00 x\"",
      L"p a\r\nb\x3000"
      L"c",
  };
  for (const std::wstring& line : lines) {
    EXPECT_EQ(fuzz::SplitLikeCommandLineToArgvW(line), RealSplit(line)) << "line: " << line.size();
  }
  // The lines the launcher composes for awkward values.
  const AuthHandoff handoffs[] = {
      {"user@example.com", "token"},
      {"a \"b\" c@d", "t\\\"o\\\\\"k"},
      {"trailing\\", "back\\\\"},
      {"\t \"\"\"", "\\\\\\\""},
  };
  for (const AuthHandoff& handoff : handoffs) {
    ClientCommand command;
    ASSERT_TRUE(BuildClientCommand(L"C:\\Users\\u\\AppData\\Roaming\\Cumulo", handoff, command));
    const std::vector<std::wstring> real = RealSplit(command.commandLine);
    EXPECT_EQ(fuzz::SplitLikeCommandLineToArgvW(command.commandLine), real);
    // The values are ASCII: widened byte by byte they are what the client must get back.
    const std::wstring email(handoff.email.begin(), handoff.email.end());
    const std::wstring token(handoff.auth.begin(), handoff.auth.end());
    EXPECT_EQ(real,
              (std::vector<std::wstring>{client, L"-auth_email", email, L"-auth_token", token}))
        << handoff.email;
  }
}

}  // namespace cumulo
