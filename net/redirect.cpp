#include "net/redirect.h"

#include "base/wide_text.h"

namespace cumulo {

namespace {
// Longer than any real download URL; a longer Location is not followed.
constexpr size_t kMostLocationChars = 4096;

struct UriParts {
  std::optional<std::wstring> scheme;
  std::optional<std::wstring> authority;
  std::wstring path;
  std::optional<std::wstring> query;
};

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsSchemeChar(wchar_t c) {
  return IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// The regular expression of RFC 3986 appendix B, by hand; the fragment is left off.
UriParts Split(const std::wstring& text) {
  UriParts parts;
  const std::wstring uri = text.substr(0, text.find(L'#'));
  size_t at = 0;
  const size_t colon = uri.find_first_of(L":/?");
  if (colon != std::wstring::npos && colon > 0 && uri[colon] == L':' && IsAsciiLetter(uri[0])) {
    bool scheme = true;
    for (size_t i = 0; i < colon; ++i) scheme = scheme && IsSchemeChar(uri[i]);
    if (scheme) {
      parts.scheme = uri.substr(0, colon);
      at = colon + 1;
    }
  }
  if (uri.compare(at, 2, L"//") == 0) {
    const size_t end = std::min(uri.find_first_of(L"/?", at + 2), uri.size());
    parts.authority = uri.substr(at + 2, end - at - 2);
    at = end;
  }
  const size_t question = std::min(uri.find(L'?', at), uri.size());
  parts.path = uri.substr(at, question - at);
  if (question < uri.size()) parts.query = uri.substr(question + 1);
  return parts;
}

// Section 5.2.4.
std::wstring RemoveDotSegments(std::wstring input) {
  std::wstring output;
  while (!input.empty()) {
    if (input.compare(0, 3, L"../") == 0) {
      input.erase(0, 3);
    } else if (input.compare(0, 2, L"./") == 0) {
      input.erase(0, 2);
    } else if (input.compare(0, 3, L"/./") == 0) {
      input.erase(0, 2);
    } else if (input == L"/.") {
      input = L"/";
    } else if (input.compare(0, 4, L"/../") == 0 || input == L"/..") {
      input = input.size() == 3 ? std::wstring(L"/") : input.substr(3);
      const size_t last = output.rfind(L'/');
      output.erase(last == std::wstring::npos ? 0 : last);
    } else if (input == L"." || input == L"..") {
      input.clear();
    } else {
      const size_t next = input.find(L'/', 1);
      const size_t end = next == std::wstring::npos ? input.size() : next;
      output.append(input, 0, end);
      input.erase(0, end);
    }
  }
  return output;
}

// Section 5.2.3.
std::wstring Merge(const UriParts& base, const std::wstring& path) {
  if (base.authority && base.path.empty()) return L"/" + path;
  const size_t slash = base.path.rfind(L'/');
  return slash == std::wstring::npos ? path : base.path.substr(0, slash + 1) + path;
}

bool PrintableAscii(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c <= 0x20 || c >= 0x7F) return false;
  }
  return true;
}
}  // namespace

bool IsRedirectStatus(uint32_t status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::wstring> ResolveReference(const std::wstring& base,
                                             const std::wstring& reference) {
  const UriParts b = Split(base);
  if (!b.scheme) return std::nullopt;
  const UriParts r = Split(reference);
  // The target's parts, section 5.2.2; its scheme is the reference's or the base's.
  const std::wstring& scheme = r.scheme ? *r.scheme : *b.scheme;
  const std::optional<std::wstring>& authority = r.scheme || r.authority ? r.authority : b.authority;
  std::wstring path;
  std::optional<std::wstring> query = r.query;
  if (r.scheme || r.authority) {
    path = RemoveDotSegments(r.path);
  } else if (r.path.empty()) {
    path = b.path;
    if (!r.query) query = b.query;
  } else {
    path = RemoveDotSegments(r.path[0] == L'/' ? r.path : Merge(b, r.path));
  }
  // Section 5.3.
  std::wstring out = scheme + L":";
  if (authority) out += L"//" + *authority;
  out += path;
  if (query) out += L"?" + *query;
  return out;
}

std::optional<std::wstring> RedirectTarget(const std::wstring& current,
                                           const std::wstring& location) {
  if (location.size() > kMostLocationChars || !PrintableAscii(location)) return std::nullopt;
  const std::optional<std::wstring> resolved = ResolveReference(current, location);
  if (!resolved) return std::nullopt;
  const UriParts parts = Split(*resolved);
  if (!parts.scheme || LowerAsciiLetters(*parts.scheme) != L"https") return std::nullopt;
  if (!parts.authority || parts.authority->find(L'@') != std::wstring::npos) return std::nullopt;
  const std::wstring& authority = *parts.authority;
  if (authority.empty() || authority[0] == L':') return std::nullopt;
  return L"https" + resolved->substr(parts.scheme->size());
}

}  // namespace cumulo
