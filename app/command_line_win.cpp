#include "app/command_line.h"

#include "win/unique_handle.h"  // brings windows.h, which shellapi.h needs first

#include <shellapi.h>

std::vector<std::wstring> GetCommandLineArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return {};
  ScopedLocal owner(reinterpret_cast<HLOCAL>(argv));
  std::vector<std::wstring> args;
  args.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int i = 0; i < count; ++i) args.emplace_back(argv[i] != nullptr ? argv[i] : L"");
  return args;
}
