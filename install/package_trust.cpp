#include "install/package_trust.h"

#include "base/wide_text.h"

namespace cumulo {

std::wstring SignerName(const PackageSignature& signature) {
  return signature.organisation.empty() ? signature.commonName : signature.organisation;
}

uint32_t PackageTrustCode(const PackageSignature& signature,
                          const std::wstring& expectedPublisher) {
  if (signature.status != 0) return signature.status;
  const std::wstring signer = SignerName(signature);
  if (signer.empty()) return kTrustNoSignerCert;
  // Exact: a publisher name that merely looks alike is someone else's certificate.
  if (signer != expectedPublisher) return kTrustSubjectNotTrusted;
  return 0;
}

std::wstring UntrustedPackageLine(uint32_t code) {
  return L"Setup package failed verification: " + HexCodeW(code) + L".";
}

}  // namespace cumulo
