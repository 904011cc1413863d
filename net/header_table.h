#pragma once
// The response headers of one download attempt, and the reading of the length header.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace cumulo {

// Header names are case-insensitive in HTTP; only ASCII letters fold.
struct HeaderNameHash {
  size_t operator()(const std::wstring& name) const;
};
struct HeaderNameEqual {
  bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// Header name to value; names compare without regard to ASCII case, and the first
// occurrence of a name wins (keeping its spelling, for the journal).
using HeaderTable = std::unordered_map<std::wstring, std::wstring, HeaderNameHash, HeaderNameEqual>;

// Builds the table from a raw header block (status line first, lines split at any run
// of CR and LF characters).
HeaderTable ParseHeaderTable(const std::wstring& block);

// Splits one header line into name and value (see header_table.cpp for the rule).
void SplitHeaderLine(const std::wstring& line, std::wstring& name, std::wstring& value);

// The announced body size: base 10, leading blanks and a sign allowed, digits up to the
// first non-digit; a number beyond 64 bits reads as UINT64_MAX, so that a cap refuses it.
// False (and `length` untouched) without digits, or when the number is negative.
[[nodiscard]] bool ParseContentLength(const std::wstring& text, uint64_t& length);

}  // namespace cumulo
