// Stands in for the browser: the shell's open command for https addresses in the test
// prefix. Appends its command line (after the program) as one UTF-8 line to the file
// that CUMULO_OPEN_RECORD names, and ends without a window, so the keyboard stays where
// it was.
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/wide_text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"CUMULO_OPEN_RECORD", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  FILE* file = _wfopen(path, L"ab");
  if (file == nullptr) return 1;
  const std::string line = cumulo::Utf8FromWide(arguments != nullptr ? arguments : L"") + "\n";
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
  return 0;
}
