#include <windows.h>
// windows.h first: the trust headers need its types.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "install/package_trust_win.h"
#include "win/system_library.h"

namespace cumulo {

static_assert(kTrustSubjectNotTrusted == static_cast<uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED), "");
static_assert(kTrustNoSignerCert == static_cast<uint32_t>(TRUST_E_NO_SIGNER_CERT), "");

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

PackageSignature ReadPackageSignature(HANDLE heldFile, const std::wstring& path) {
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
  // No revocation check and no URL retrieval beyond the local cache: the verdict never
  // waits on a network that may be slow, filtered or absent.
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
  PackageSignature signature;
  signature.status = static_cast<uint32_t>(api->winVerifyTrust(noUser, &action, &data));
  if (signature.status == 0) {
    CRYPT_PROVIDER_DATA* provider = api->provData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer =
        provider ? api->signer(provider, 0, FALSE, 0) : nullptr;
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

}  // namespace cumulo
