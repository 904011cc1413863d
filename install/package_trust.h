#pragma once
// Whether a downloaded setup package may run: its Authenticode verdict and the name of
// its signer, decided without the platform so that the rules are tested everywhere.
#include <cstdint>
#include <string>

namespace cumulo {

// WinTrust result codes the decision itself gives (wintrust.h / winerror.h names).
constexpr uint32_t kTrustSubjectNotTrusted = 0x800B0004;  // TRUST_E_SUBJECT_NOT_TRUSTED
constexpr uint32_t kTrustNoSignerCert = 0x80096002;       // TRUST_E_NO_SIGNER_CERT

// What the platform read from the package.
struct PackageSignature {
  uint32_t status = kTrustSubjectNotTrusted;  // WinVerifyTrust's result; 0 is a valid signature
  std::wstring organisation;                  // the leaf certificate's subject O, may be empty
  std::wstring commonName;                    // its subject CN, may be empty
};

// The signer's name as a publisher: the organisation, or the common name without one.
std::wstring SignerName(const PackageSignature& signature);

// 0 when the signature is valid and its signer is exactly `expectedPublisher`; otherwise
// the code that refuses the package: the platform's verdict, TRUST_E_NO_SIGNER_CERT for a
// signer without a name, TRUST_E_SUBJECT_NOT_TRUSTED for anyone else.
uint32_t PackageTrustCode(const PackageSignature& signature, const std::wstring& expectedPublisher);

// The journal line of a refused package, naming the code: "... 0x800B0100."
std::wstring UntrustedPackageLine(uint32_t code);

}  // namespace cumulo
