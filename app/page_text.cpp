#include "app/page_text.h"

#include "base/wide_text.h"

namespace cumulo {

std::wstring WideFromPageText(const std::string& bytes, CodePageDecoder fromCodePage) {
  const std::string text = bytes.substr(0, bytes.find('\0'));
  std::wstring wide;
  if (WideFromUtf8(text, wide)) return wide;
  return fromCodePage ? fromCodePage(text) : std::wstring();
}

std::string Utf8FromPageText(const std::string& bytes, CodePageDecoder fromCodePage) {
  std::wstring wide;
  if (WideFromUtf8(bytes, wide)) return bytes;
  return fromCodePage ? Utf8FromWide(fromCodePage(bytes)) : std::string();
}

}  // namespace cumulo
