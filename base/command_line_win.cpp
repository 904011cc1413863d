#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "base/command_line.h"

namespace cumulo {

namespace {

// CommandLineToArgvW hands over one LocalAlloc block holding the array and the strings.
struct LocalBlockFree {
  void operator()(LPWSTR* block) const { LocalFree(block); }
};

}  // namespace

std::vector<std::wstring> GetCommandLineArguments() {
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalBlockFree> argv(CommandLineToArgvW(GetCommandLineW(), &count));
  if (argv == nullptr) return {};
  std::vector<std::wstring> args;
  args.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int i = 0; i < count; ++i) {
    const wchar_t* arg = argv.get()[i];
    args.emplace_back(arg != nullptr ? arg : L"");
  }
  return args;
}

}  // namespace cumulo
