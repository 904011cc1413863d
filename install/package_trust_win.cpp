#include <windows.h>
// windows.h first: the trust headers need its types.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "install/chain_recheck.h"
#include "install/package_hold_wait.h"
#include "install/package_trust_win.h"
#include "win/system_library.h"

namespace cumulo {

static_assert(kTrustSubjectNotTrusted == static_cast<uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED), "");
static_assert(kTrustNoSignerCert == static_cast<uint32_t>(TRUST_E_NO_SIGNER_CERT), "");
static_assert(kTrustUntrustedRoot == static_cast<uint32_t>(CERT_E_UNTRUSTEDROOT), "");
static_assert(kTrustChaining == static_cast<uint32_t>(CERT_E_CHAINING), "");

namespace {

// wintrust and crypt32, bound at run time: neither is a known DLL.
struct TrustApi {
  decltype(&::WinVerifyTrust) winVerifyTrust = nullptr;
  decltype(&::WTHelperProvDataFromStateData) provData = nullptr;
  decltype(&::WTHelperGetProvSignerFromChain) signer = nullptr;
  decltype(&::CertGetNameStringW) certName = nullptr;
};

// All four or none, for good.
const TrustApi* Trust() {
  static const TrustApi* const api = []() -> const TrustApi* {
    static TrustApi a;
    HMODULE wintrust = LoadSystemLibrary(L"wintrust.dll");
    HMODULE crypt32 = LoadSystemLibrary(L"crypt32.dll");
    const bool bound = BindEntry(wintrust, "WinVerifyTrust", a.winVerifyTrust) &&
                       BindEntry(wintrust, "WTHelperProvDataFromStateData", a.provData) &&
                       BindEntry(wintrust, "WTHelperGetProvSignerFromChain", a.signer) &&
                       BindEntry(crypt32, "CertGetNameStringW", a.certName);
    return bound ? &a : nullptr;
  }();
  return api;
}

// One subject attribute of the certificate; empty when it has none.
std::wstring SubjectAttribute(const TrustApi& api, PCCERT_CONTEXT cert, const char* oid) {
  void* type = const_cast<char*>(oid);
  const DWORD size = api.certName(cert, CERT_NAME_ATTR_TYPE, 0, type, nullptr, 0);
  if (size <= 1) return {};
  std::wstring text(size, L'\0');
  const DWORD written = api.certName(cert, CERT_NAME_ATTR_TYPE, 0, type, &text[0], size);
  text.resize(written > 0 ? written - 1 : 0);
  return text;
}

}  // namespace

ScopedFile HoldPackage(const std::wstring& path) {
  // No FILE_SHARE_WRITE and no FILE_SHARE_DELETE: writers, renames and deletions fail with
  // a sharing violation until the handle is closed, and none may be open already.
  return ScopedFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

PackageSignature ReadPackageSignature(HANDLE heldFile, const std::wstring& path,
                                      ChainSource source) {
  const TrustApi* api = Trust();
  if (api == nullptr) {
    PackageSignature unverifiable;
    unverifiable.status = static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    return unverifiable;
  }
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  file.hFile = heldFile;  // the bytes checked are the bytes held

  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  // No revocation check; offline, no URL retrieval beyond the local cache either, so that
  // verdict never waits on a network that may be slow, filtered or absent. The networked
  // check runs only under a bound of its own.
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
  if (source == ChainSource::CacheOnly) data.dwProvFlags |= WTD_CACHE_ONLY_URL_RETRIEVAL;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
  PackageSignature signature;
  signature.status = static_cast<uint32_t>(api->winVerifyTrust(noUser, &action, &data));
  if (signature.status == 0) {
    CRYPT_PROVIDER_DATA* provider = api->provData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? api->signer(provider, 0, FALSE, 0) : nullptr;
    if (signer && signer->csCertChain > 0 && signer->pasCertChain &&
        signer->pasCertChain[0].pCert) {
      PCCERT_CONTEXT leaf = signer->pasCertChain[0].pCert;
      signature.organisation = SubjectAttribute(*api, leaf, szOID_ORGANIZATION_NAME);
      signature.commonName = SubjectAttribute(*api, leaf, szOID_COMMON_NAME);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  api->winVerifyTrust(noUser, &action, &data);
  return signature;
}

namespace {

// Shared by the waiting caller and the checking thread; the last of the two to let go
// frees it.
struct OnlineCheck {
  LONG owners = 2;
  std::wstring path;
  ScopedHandle ended;  // set once `result` is written
  PackageSignature result;
};

void LetGo(OnlineCheck* check) {
  if (InterlockedDecrement(&check->owners) == 0) delete check;
}

DWORD WINAPI OnlineCheckThread(void* parameter) {
  auto* check = static_cast<OnlineCheck*>(parameter);
  check->result = ReadPackageSignature(nullptr, check->path, ChainSource::Network);
  SetEvent(check->ended.Get());
  LetGo(check);
  return 0;
}

}  // namespace

std::optional<PackageSignature> ReadPackageSignatureOnline(const std::wstring& path,
                                                           uint32_t timeoutMs) {
  auto* check = new OnlineCheck;
  check->path = path;
  check->ended.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  // WinVerifyTrust has no time-out of its own for the chain's downloads, so the bound is
  // the wait below; a thread that overruns it finishes unobserved and frees its share.
  ScopedHandle thread;
  if (check->ended.IsValid()) {
    thread.Reset(CreateThread(nullptr, 0, OnlineCheckThread, check, 0, nullptr));
  }
  if (!thread.IsValid()) {
    delete check;
    return std::nullopt;
  }
  std::optional<PackageSignature> result;
  if (WaitForSingleObject(check->ended.Get(), timeoutMs) == WAIT_OBJECT_0) result = check->result;
  LetGo(check);
  return result;
}

PackageSignature CheckPackageSignature(HANDLE heldFile, const std::wstring& path,
                                       const JournalWriter& journal,
                                       OfflineSignatureCheck offline) {
  return DecideWithOnlineChainCheck(
      offline ? offline(heldFile, path) : ReadPackageSignature(heldFile, path),
      [&path] { return ReadPackageSignatureOnline(path, kOnlineChainCheckMs); }, journal);
}

ScopedFile HoldPackageWaitingOutLocks(const std::wstring& path, const JournalWriter& journal) {
  ScopedFile held;
  const auto tryHold = [&path, &held] {
    HoldTry attempt;
    held = HoldPackage(path);
    attempt.held = held.IsValid();
    if (!attempt.held) {
      attempt.error = GetLastError();
      const DWORD attributes = GetFileAttributesW(path.c_str());
      attempt.fileExists =
          attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    return attempt;
  };
  const HoldTry last = HoldWaitingOutLocks(
      tryHold, [] { return static_cast<uint64_t>(GetTickCount64()); },
      [](uint32_t milliseconds) { Sleep(milliseconds); }, journal);
  // The caller reads the failure from the thread's last error, as from a plain hold.
  if (!last.held) SetLastError(last.error);
  return held;
}

}  // namespace cumulo
