#include "net/redirect.h"

#include <algorithm>
#include <string_view>

namespace cumulo {

namespace {
// Longer than any real download URL; a longer Location is not followed.
constexpr size_t kMostLocationChars = 4096;

// Views into the text that was split; a part that is absent differs from an empty one.
struct UriParts {
  std::wstring_view scheme, authority, path, query;
  bool hasScheme = false, hasAuthority = false, hasQuery = false;
};

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsSchemeChar(wchar_t c) {
  return IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// The regular expression of RFC 3986 appendix B, by hand; the fragment is left off.
UriParts Split(std::wstring_view uri) {
  size_t size = 0;
  while (size < uri.size() && uri[size] != L'#') ++size;
  UriParts parts;
  size_t at = 0;
  if (size > 0 && IsAsciiLetter(uri[0])) {
    size_t end = 1;
    while (end < size && IsSchemeChar(uri[end])) ++end;
    if (end < size && uri[end] == L':') {
      parts.hasScheme = true;
      parts.scheme = uri.substr(0, end);
      at = end + 1;
    }
  }
  if (at + 1 < size && uri[at] == L'/' && uri[at + 1] == L'/') {
    size_t end = at + 2;
    while (end < size && uri[end] != L'/' && uri[end] != L'?') ++end;
    parts.hasAuthority = true;
    parts.authority = uri.substr(at + 2, end - at - 2);
    at = end;
  }
  size_t question = at;
  while (question < size && uri[question] != L'?') ++question;
  parts.path = uri.substr(at, question - at);
  if (question < size) {
    parts.hasQuery = true;
    parts.query = uri.substr(question + 1, size - question - 1);
  }
  return parts;
}

// Section 5.2.4, appending to `out`, one segment at a time: a segment owns the "/" before
// it, except at the start of a relative path, where "./" and "../" simply go.
void RemoveDotSegments(std::wstring_view in, std::wstring& out) {
  const size_t base = out.size();
  size_t at = 0;
  while (at < in.size()) {
    const bool slash = in[at] == L'/';
    const size_t start = at + (slash ? 1 : 0);
    size_t end = start;
    while (end < in.size() && in[end] != L'/') ++end;
    const size_t length = end - start;
    const bool dot = length == 1 && in[start] == L'.';
    const bool dots = length == 2 && in[start] == L'.' && in[start + 1] == L'.';
    at = end;
    if (!slash && (dot || dots)) {
      if (at < in.size()) ++at;  // the "/" after a leading "." or ".." goes with it
      continue;
    }
    if (dots) {
      const size_t last = out.rfind(L'/');
      out.resize(last == std::wstring::npos || last < base ? base : last);
    }
    if (dot || dots) {
      if (at == in.size()) out += L'/';
      continue;
    }
    if (slash) out += L'/';
    out.append(in.data() + start, length);
  }
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
  if (!b.hasScheme) return std::nullopt;
  const UriParts r = Split(reference);
  // Sections 5.2.2 and 5.3 in one pass: scheme, authority, path, query.
  const bool own = r.hasScheme || r.hasAuthority;
  std::wstring out(r.hasScheme ? r.scheme : b.scheme);
  out += L':';
  const UriParts& authority = own ? r : b;
  if (authority.hasAuthority) {
    out += L"//";
    out.append(authority.authority);
  }
  const UriParts* query = &r;
  if (own || (!r.path.empty() && r.path[0] == L'/')) {
    RemoveDotSegments(r.path, out);
  } else if (r.path.empty()) {
    out.append(b.path);
    if (!r.hasQuery) query = &b;
  } else {
    // Section 5.2.3: the base path up to its last "/", or "/" under an authority.
    std::wstring merged;
    if (b.hasAuthority && b.path.empty()) {
      merged = L"/";
    } else {
      const size_t slash = b.path.rfind(L'/');
      if (slash != std::wstring_view::npos) merged.assign(b.path.substr(0, slash + 1));
    }
    merged.append(r.path);
    RemoveDotSegments(merged, out);
  }
  if (query->hasQuery) {
    out += L'?';
    out.append(query->query);
  }
  return out;
}

std::optional<std::wstring> RedirectTarget(const std::wstring& current,
                                           const std::wstring& location) {
  if (location.size() > kMostLocationChars || !PrintableAscii(location)) return std::nullopt;
  std::optional<std::wstring> resolved = ResolveReference(current, location);
  if (!resolved) return std::nullopt;
  const UriParts parts = Split(*resolved);
  const std::wstring_view https = L"https";
  if (parts.scheme.size() != https.size()) return std::nullopt;
  for (size_t i = 0; i < https.size(); ++i) {
    if ((parts.scheme[i] | 0x20) != https[i]) return std::nullopt;
  }
  const std::wstring_view authority = parts.authority;
  if (!parts.hasAuthority || authority.empty() || authority[0] == L':' ||
      authority.find(L'@') != std::wstring_view::npos) {
    return std::nullopt;
  }
  resolved->replace(0, https.size(), https);
  return resolved;
}

}  // namespace cumulo
