#pragma once
// Text made safe for one value of a URL's query.
#include <string>

namespace cumulo {

// The UTF-8 bytes of `text`, each one outside RFC 3986's unreserved characters
// (A-Z a-z 0-9 - . _ ~) written as "%" and two upper-case hex digits. Unpaired
// surrogates become U+FFFD first.
std::wstring PercentEncode(const std::wstring& text);

}  // namespace cumulo
