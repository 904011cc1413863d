#pragma once
// Text that the web page passed in the container, as bytes after percent-decoding. Pages
// send UTF-8 (what a browser's URL encoding gives); bytes that are not valid UTF-8 are
// read in the system's ANSI code page, so that a page sending single-byte text still works.
#include <string>

namespace cumulo {

// The whole byte string in the ANSI code page (zero bytes included).
using CodePageDecoder = std::wstring (*)(const std::string& bytes);

// The text up to the first zero byte, for the registry and telemetry.
std::wstring WideFromPageText(const std::string& bytes, CodePageDecoder fromCodePage);

// The same text as UTF-8, for values handed on as bytes: valid UTF-8 stays as it is.
std::string Utf8FromPageText(const std::string& bytes, CodePageDecoder fromCodePage);

}  // namespace cumulo
