// Downloads one URL with the product's Downloader and prints the bytes and seconds it
// took, with its CPU time and peak working set, for the download benchmarks and the soak.
//   download_bench.exe <url> <destination> [journal]
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "../wininet_loop_bench/bench_stats.h"
#include "base/journal.h"
#include "net/downloader.h"

using namespace cumulo;

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fwprintf(stderr, L"usage: download_bench <url> <destination> [journal]\n");
    return 2;
  }
  if (argc == 4) LogFilePath() = argv[3];
  // The product's five attempts, so that a cut download gets its resume.
  uint64_t last = 0;
  Downloader downloader(nullptr, L"CumuloWindows bench", 5,
                        [&last](uint32_t received, uint32_t) { last = received; });
  const auto start = std::chrono::steady_clock::now();
  const DownloadCode code = downloader.Download(argv[1], argv[2]);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  uint64_t size = 0;
  if (GetFileAttributesExW(argv[2], GetFileExInfoStandard, &data)) {
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  std::printf("code %d bytes %llu seconds %.3f %s\n", static_cast<int>(code),
              static_cast<unsigned long long>(size), seconds, BenchProcessStats().c_str());
  return code == DownloadCode::Completed ? 0 : 1;
}
