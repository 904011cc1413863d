#pragma once
// The response headers of one download attempt, and the reading of the length header.
#include <cstdint>
#include <string>
#include <unordered_map>

namespace cumulo {

// Header name to value; names compare exactly, and the first occurrence of a name wins.
using HeaderTable = std::unordered_map<std::wstring, std::wstring>;

// Builds the table from a raw header block (status line first, lines split at any run
// of CR and LF characters).
HeaderTable ParseHeaderTable(const std::wstring& block);

// Splits one header line into name and value (see header_table.cpp for the rule).
void SplitHeaderLine(const std::wstring& line, std::wstring& name, std::wstring& value);

// The announced body size: base 10, leading blanks and a sign allowed, digits up to the
// first non-digit. False (and `length` untouched) without digits, or when the number is
// negative or does not fit a signed 32-bit value.
[[nodiscard]] bool ParseContentLength(const std::wstring& text, uint32_t& length);

}  // namespace cumulo
