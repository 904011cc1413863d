// The floor for the download benchmark: the plainest WinInet download there is, with the
// Downloader's request flags and buffer size, writing the same file. Prints what
// download_bench prints.
//   wininet_loop_bench.exe <https url> <destination>
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_stats.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fwprintf(stderr, L"usage: wininet_loop_bench <url> <destination>\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  wchar_t host[256] = {}, path[2048] = {};
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 2048;
  if (!InternetCrackUrlW(argv[1], 0, 0, &parts)) return 3;
  HINTERNET session = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET connection =
      InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1);
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE | INTERNET_FLAG_TRANSFER_BINARY |
                      INTERNET_FLAG_NO_AUTO_REDIRECT;
  HINTERNET request =
      HttpOpenRequestW(connection, L"GET", path, L"HTTP/1.0", nullptr, nullptr, flags, 1);
  if (request == nullptr || !HttpSendRequestW(request, nullptr, 0, nullptr, 0)) return 4;
  HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 5;
  std::vector<unsigned char> buffer(16384);
  unsigned long long total = 0;
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got))
      return 6;
    if (got == 0) break;
    DWORD written = 0;
    if (!WriteFile(file, buffer.data(), got, &written, nullptr) || written != got) return 7;
    total += got;
  }
  CloseHandle(file);
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(session);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("code 7 bytes %llu seconds %.3f %s\n", total, seconds, BenchProcessStats().c_str());
  return 0;
}
