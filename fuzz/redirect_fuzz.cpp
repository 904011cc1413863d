// A redirect: whatever status and headers the server sends, one attempt yields a new URL
// only for 301, 302, 303, 307 and 308 with a "Location" (the first such line, in any
// case); that URL is https, printable ASCII, names no user, and its host is the asked
// URL's or one that the Location itself names.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/header_lines.h"
#include "net/download_platform.h"
#include "net/downloader.h"

using namespace cumulo;
using cumulo::fuzz::Require;

namespace {

// One answered request with an empty body; the destination takes whatever comes.
class ScriptedRequest : public DownloadRequest {
 public:
  ScriptedRequest(uint32_t status, std::wstring headers)
      : status_(status), headers_(std::move(headers)) {}
  uint32_t Send(const std::wstring&) override { return 0; }
  bool QueryStatus(uint32_t& status) override {
    status = status_;
    return true;
  }
  bool QueryRawHeaders(std::wstring& block) override {
    block = headers_;
    return true;
  }
  uint32_t Read(uint8_t*, uint32_t, uint32_t& got) override {
    got = 0;
    return 0;
  }

 private:
  uint32_t status_;
  std::wstring headers_;
};

class NullFile : public DownloadFile {
 public:
  uint32_t Write(const uint8_t*, uint32_t) override { return 0; }
  uint32_t Close() override { return 0; }
};

class ScriptedPlatform : public DownloadPlatform {
 public:
  ScriptedPlatform(uint32_t status, std::wstring headers)
      : status_(status), headers_(std::move(headers)) {}
  std::unique_ptr<DownloadRequest> OpenRequest(const std::wstring&, const std::wstring&) override {
    return std::make_unique<ScriptedRequest>(status_, headers_);
  }
  std::unique_ptr<DownloadFile> CreateDestination(const std::wstring&, uint32_t&) override {
    return std::make_unique<NullFile>();
  }
  std::unique_ptr<DownloadFile> AppendDestination(const std::wstring&, uint64_t,
                                                  uint32_t&) override {
    return std::make_unique<NullFile>();
  }
  bool FreeSpace(const std::wstring&, uint64_t&) override { return false; }

 private:
  uint32_t status_;
  std::wstring headers_;
};

const uint32_t kStatuses[] = {200, 301, 302, 303, 304, 307, 308, 401, 404, 500};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint32_t status =
      input.ConsumeBool() ? input.PickValueInArray(kStatuses) : input.ConsumeIntegral<uint32_t>();
  const bool wideUnits = input.ConsumeBool();
  const std::vector<uint8_t> rest = input.ConsumeRemainingBytes<uint8_t>();
  const std::wstring block = fuzz::WideFrom(rest.data(), rest.size(), wideUnits);

  Downloader downloader(nullptr, L"CumuloWindows fuzz", 1,
                        std::make_shared<ScriptedPlatform>(status, block));
  const AttemptResult result = downloader.TryDownload(L"https://dist.example/setup.exe", L"x");

  std::wstring location;
  const bool redirectStatus =
      status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
  const bool hasLocation = fuzz::FirstHeader(fuzz::ReadHeaderLines(block), L"Location", location);
  Require(result.code != DownloadCode::Redirect || (redirectStatus && hasLocation),
          "a new URL comes only from a redirect status with a Location");
  if (result.code != DownloadCode::Redirect) {
    Require(result.redirectTarget.empty(), "no target without a redirect");
    return 0;
  }
  const std::wstring& target = result.redirectTarget;
  Require(target.compare(0, 8, L"https://") == 0, "only https is followed");
  for (wchar_t c : target) Require(c > 0x20 && c < 0x7F, "printable ASCII, no blank");
  const size_t hostEnd = std::min(target.find_first_of(L"/?", 8), target.size());
  const std::wstring authority = target.substr(8, hostEnd - 8);
  Require(!authority.empty() && authority.find(L'@') == std::wstring::npos,
          "a host and no user information");
  Require(authority == L"dist.example" || location.find(authority) != std::wstring::npos,
          "the host is the asked URL's or one the Location names");
  const std::wstring lowered = fuzz::FoldedName(location);
  if (lowered.compare(0, 8, L"https://") == 0 &&
      location.find_first_of(L"#") == std::wstring::npos &&
      location.find(L"/.") == std::wstring::npos) {
    Require(target.substr(5) == location.substr(5), "an absolute https Location is kept");
  }
  return 0;
}
