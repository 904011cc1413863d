#include "win/system_library.h"

#include <cwchar>
#include <string>

namespace cumulo {

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || fileName == nullptr || *fileName == L'\0') return nullptr;
  const std::wstring path = std::wstring(folder, n) + L"\\" + fileName;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace cumulo
