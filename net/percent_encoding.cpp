#include "net/percent_encoding.h"

#include "base/wide_text.h"

namespace cumulo {

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::wstring PercentEncode(const std::wstring& text) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring out;
  for (const char byte : Utf8FromWide(text)) {
    const auto c = static_cast<unsigned char>(byte);
    if (IsUnreserved(c)) {
      out.push_back(static_cast<wchar_t>(c));
      continue;
    }
    out.push_back(L'%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0x0F]);
  }
  return out;
}

}  // namespace cumulo
