// The downloader's range requests against the session's nginx: a cut at a chosen byte,
// then the rest asked for, must give the file nginx serves, byte for byte.
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/wide_text.h"
#include "common/journal_capture.h"
#include "fixture_http.h"
#include "net/download_platform.h"
#include "net/downloader.h"
#include "win/unique_handle.h"

namespace cumulo {

namespace {
constexpr uint64_t kServedLength = 300007;  // ranges.bin, as wine-session writes it

// The SHA-256 of a file as lowercase hex; empty when it cannot be read.
std::string Sha256Of(const std::wstring& path) {
  ScopedFile file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::string();
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
    return std::string();
  }
  HCRYPTHASH hash = 0;
  std::string hex;
  if (CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
    std::vector<BYTE> buffer(65536);
    DWORD got = 0;
    bool ok = true;
    while (ok &&
           ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got > 0) {
      ok = CryptHashData(hash, buffer.data(), got, 0) != FALSE;
    }
    BYTE digest[32];
    DWORD size = sizeof digest;
    if (ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
      static const char kHex[] = "0123456789abcdef";
      for (DWORD i = 0; i < size; ++i) {
        hex.push_back(kHex[digest[i] >> 4]);
        hex.push_back(kHex[digest[i] & 15]);
      }
    }
    CryptDestroyHash(hash);
  }
  CryptReleaseContext(provider, 0);
  return hex;
}

// The real platform, except that the first attempt's body breaks after `cutAt` bytes;
// it keeps the headers each request was sent with.
class CutOncePlatform : public DownloadPlatform {
 public:
  explicit CutOncePlatform(uint64_t cutAt) : real_(SystemDownloadPlatform()), cutAt_(cutAt) {}

  std::vector<std::wstring> sentHeaders;

  std::unique_ptr<DownloadRequest> OpenRequest(const std::wstring& url,
                                               const std::wstring& userAgent) override {
    auto request = real_->OpenRequest(url, userAgent);
    if (!request) return nullptr;
    const bool cut = opened_++ == 0;
    return std::make_unique<Request>(std::move(request), this, cut ? cutAt_ : UINT64_MAX);
  }
  std::unique_ptr<DownloadFile> CreateDestination(const std::wstring& path,
                                                  uint32_t& error) override {
    return real_->CreateDestination(path, error);
  }
  std::unique_ptr<DownloadFile> AppendDestination(const std::wstring& path, uint64_t offset,
                                                  uint32_t& error) override {
    return real_->AppendDestination(path, offset, error);
  }
  bool FreeSpace(const std::wstring& path, uint64_t& bytes) override {
    return real_->FreeSpace(path, bytes);
  }

 private:
  class Request : public DownloadRequest {
   public:
    Request(std::unique_ptr<DownloadRequest> real, CutOncePlatform* owner, uint64_t limit)
        : real_(std::move(real)), owner_(owner), left_(limit) {}
    uint32_t Send(const std::wstring& headers) override {
      owner_->sentHeaders.push_back(headers);
      return real_->Send(headers);
    }
    bool QueryStatus(uint32_t& status) override { return real_->QueryStatus(status); }
    bool QueryRawHeaders(std::wstring& block) override { return real_->QueryRawHeaders(block); }
    uint32_t Read(uint8_t* buffer, uint32_t capacity, uint32_t& got) override {
      if (left_ == 0) return ERROR_INTERNET_CONNECTION_RESET;
      if (capacity > left_) capacity = static_cast<uint32_t>(left_);
      const uint32_t error = real_->Read(buffer, capacity, got);
      if (left_ != UINT64_MAX) left_ -= got;
      return error;
    }

   private:
    std::unique_ptr<DownloadRequest> real_;
    CutOncePlatform* owner_;
    uint64_t left_;
  };

  std::shared_ptr<DownloadPlatform> real_;
  uint64_t cutAt_;
  int opened_ = 0;
};

std::wstring TempFile(const wchar_t* name) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, n) + name;
}

std::wstring ServedFile() {
  const char* build = std::getenv("CUMULO_BUILD_DIR");
  std::wstring path =
      L"Z:" + WidenAscii(build ? build : "") + L"/test-session/nginx/www/ranges.bin";
  for (auto& c : path) c = c == L'/' ? L'\\' : c;
  return path;
}
}  // namespace

TEST(DownloaderNginx, RangeRequestsGiveTheServedBytes) {
  if (fixture::NginxHost().empty()) GTEST_SKIP() << "the session started no nginx";
  const std::string expected = Sha256Of(ServedFile());
  ASSERT_EQ(expected.size(), 64u) << "cannot read the served file";
  const std::wstring url = L"https://" + fixture::NginxHost() + L"/ranges.bin";
  const std::wstring destination = TempFile(L"cumulo-nginx-ranges.bin");
  for (const uint64_t cutAt :
       {uint64_t{0}, uint64_t{1}, uint64_t{16383}, uint64_t{16384}, kServedLength - 1}) {
    DeleteFileW(destination.c_str());
    auto platform = std::make_shared<CutOncePlatform>(cutAt);
    Downloader downloader(nullptr, L"CumuloWindows WCnginx", 5, platform);
    JournalCapture journal;
    EXPECT_EQ(downloader.Download(url, destination), DownloadCode::Completed) << cutAt;
    EXPECT_EQ(Sha256Of(destination), expected) << cutAt;
    ASSERT_EQ(platform->sentHeaders.size(), 2u) << cutAt;
    if (cutAt == 0) {
      // Nothing arrived, so there is nothing to continue: the file is asked for whole.
      EXPECT_EQ(platform->sentHeaders[1], L"") << cutAt;
      EXPECT_EQ(journal.Count("Downloader, response: 200"), 2u) << cutAt;
    } else {
      EXPECT_EQ(platform->sentHeaders[1].rfind(
                    L"Range: bytes=" + std::to_wstring(cutAt) + L"-\r\nIf-Range: \"", 0),
                0u)
          << cutAt;
      EXPECT_EQ(journal.Count("Downloader, response: 206"), 1u) << cutAt;
    }
  }
  DeleteFileW(destination.c_str());
}

}  // namespace cumulo
