#include "install/package_trust.h"

#include <gtest/gtest.h>

#include <vector>

namespace cumulo {

TEST(PackageTrust, VerdictAndSigner) {
  struct Case {
    const char* name;
    PackageSignature signature;
    uint32_t expected;
  };
  const std::wstring publisher = L"Aldervane";
  const std::vector<Case> cases = {
      {"ours by organisation", {0, L"Aldervane", L"Aldervane Code Signing"}, 0},
      {"ours by common name alone", {0, L"", L"Aldervane"}, 0},
      {"unsigned", {0x800B0100u, L"", L""}, 0x800B0100u},
      {"tampered", {0x80096010u, L"Aldervane", L""}, 0x80096010u},
      {"untrusted root", {0x800B0109u, L"Aldervane", L""}, 0x800B0109u},
      {"another publisher", {0, L"Other Maker Ltd", L"Aldervane"}, kTrustSubjectNotTrusted},
      {"look-alike in case", {0, L"aldervane", L""}, kTrustSubjectNotTrusted},
      {"look-alike with a space", {0, L"Aldervane ", L""}, kTrustSubjectNotTrusted},
      {"prefix only", {0, L"Alder", L""}, kTrustSubjectNotTrusted},
      {"signer without a name", {0, L"", L""}, kTrustNoSignerCert},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PackageTrustCode(c.signature, publisher), c.expected);
  }
}

TEST(PackageTrust, EmptyPublisherSettingAcceptsNobody) {
  EXPECT_EQ(PackageTrustCode({0, L"", L""}, L""), kTrustNoSignerCert);
  EXPECT_EQ(PackageTrustCode({0, L"Aldervane", L""}, L""), kTrustSubjectNotTrusted);
}

TEST(PackageTrust, SignerNamePrefersOrganisation) {
  EXPECT_EQ(SignerName({0, L"Org", L"Common"}), L"Org");
  EXPECT_EQ(SignerName({0, L"", L"Common"}), L"Common");
}

TEST(PackageTrust, JournalLineNamesTheCode) {
  EXPECT_EQ(UntrustedPackageLine(0x800B0100u), L"Setup package failed verification: 0x800B0100.");
  EXPECT_EQ(UntrustedPackageLine(0x80070020u), L"Setup package failed verification: 0x80070020.");
  EXPECT_EQ(UntrustedPackageLine(0), L"Setup package failed verification: 0x00000000.");
}

}  // namespace cumulo
