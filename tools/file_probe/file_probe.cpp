// Tries, from a process of its own, what a tamperer would do to a file: overwrite it,
// rename it (and back) and delete it. Prints each attempt's error, 0 for success:
//   file_probe <file>   ->   write=32 rename=32 delete=32
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const std::wstring path = argv[1];
  DWORD write = 0, rename = 0, remove = 0;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    write = GetLastError();
  } else {
    DWORD done = 0;
    // Rewrites the first byte with itself: a write that succeeds, and changes nothing.
    char first = 0;
    ReadFile(file, &first, 1, &done, nullptr);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    if (!WriteFile(file, &first, 1, &done, nullptr)) write = GetLastError();
    CloseHandle(file);
  }
  const std::wstring moved = path + L".moved";
  if (MoveFileW(path.c_str(), moved.c_str())) {
    MoveFileW(moved.c_str(), path.c_str());
  } else {
    rename = GetLastError();
  }
  // Last: a deletion that succeeds leaves nothing to try further.
  if (!DeleteFileW(path.c_str())) remove = GetLastError();
  std::printf("write=%lu rename=%lu delete=%lu\n", static_cast<unsigned long>(write),
              static_cast<unsigned long>(rename), static_cast<unsigned long>(remove));
  return 0;
}
