// A redirect: whatever status and headers the server sends, one attempt yields a new URL
// only for 301, 302 and 303 with a "Location", and that URL is exactly the first
// "Location" line's value: every host it can name was named by the server's answer.
#include <fuzzer/FuzzedDataProvider.h>

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
  std::unique_ptr<DownloadRequest> OpenRequest(const std::wstring&,
                                               const std::wstring&) override {
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
  const uint32_t status = input.ConsumeBool() ? input.PickValueInArray(kStatuses)
                                              : input.ConsumeIntegral<uint32_t>();
  const bool wideUnits = input.ConsumeBool();
  const std::vector<uint8_t> rest = input.ConsumeRemainingBytes<uint8_t>();
  const std::wstring block = fuzz::WideFrom(rest.data(), rest.size(), wideUnits);

  Downloader downloader(nullptr, L"CumuloWindows fuzz", 1,
                        std::make_shared<ScriptedPlatform>(status, block));
  const AttemptResult result = downloader.TryDownload(L"https://dist.example/setup.exe", L"x");

  std::wstring location;
  const bool redirects = (status == 301 || status == 302 || status == 303) &&
                         fuzz::FirstHeader(fuzz::ReadHeaderLines(block), L"Location", location);
  Require((result.code == DownloadCode::Redirect) == redirects,
          "a new URL comes only from a 301, 302 or 303 with a Location");
  if (!redirects) {
    Require(result.redirectTarget.empty(), "no target without a redirect");
    return 0;
  }
  Require(result.redirectTarget == location, "the target is the first Location, verbatim");
  Require(block.find(result.redirectTarget) != std::wstring::npos &&
              result.redirectTarget.find_first_of(L"\r\n") == std::wstring::npos,
          "the target is one piece of one line of the answer");
  return 0;
}
