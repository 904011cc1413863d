// Adds a PEM certificate to the LocalMachine "Root" store of the wine prefix,
// so that WinInet trusts the fixture servers' per-run test CA.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: add_root_ca <ca.pem>\n");
    return 2;
  }
  FILE* f = _wfopen(argv[1], L"rb");
  if (f == nullptr) {
    std::fprintf(stderr, "add_root_ca: cannot open the PEM file\n");
    return 1;
  }
  std::string pem;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) pem.append(buf, n);
  std::fclose(f);

  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                            nullptr)) {
    std::fprintf(stderr, "add_root_ca: not a PEM certificate (%lu)\n", GetLastError());
    return 1;
  }
  std::vector<BYTE> der(size);
  CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                       nullptr);

  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (store == nullptr) {
    std::fprintf(stderr, "add_root_ca: cannot open the Root store (%lu)\n", GetLastError());
    return 1;
  }
  const BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                   CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(store, 0);
  if (!ok) {
    std::fprintf(stderr, "add_root_ca: cannot add the certificate (%lu)\n", error);
    return 1;
  }
  return 0;
}
