#pragma once
// Text conversions shared by the journal, start-up and the launch hand-off.
// Wide strings are UTF-16 on Windows and UTF-32 elsewhere; both are handled.
#include <cstdint>
#include <string>

namespace cumulo {

// UTF-8 of a wide string; unpaired surrogates become U+FFFD, as the system's
// converter does with flags 0.
std::string Utf8FromWide(const std::wstring& text);

// Strict UTF-8 decoding. Returns false (and leaves `out` untouched) on
// malformed input: bad lead or continuation bytes, overlong forms,
// surrogates or values above U+10FFFF.
[[nodiscard]] bool WideFromUtf8(const std::string& bytes, std::wstring& out);

// One byte per code unit: the low 8 bits of each.
std::string NarrowLow8(const std::wstring& text);

// Widens bytes one by one (Latin-1); used for ASCII texts such as numbers.
std::wstring WidenAscii(const std::string& text);

// Letters A to Z lowered, everything else kept: for names compared without case
// (image names, header tokens, language codes).
std::wstring LowerAsciiLetters(std::wstring text);

std::string Decimal(int64_t value);
std::wstring DecimalW(int64_t value);
std::wstring UnsignedDecimalW(uint32_t value);
// "0x" and eight upper-case hex digits, as printf's "0x%08X" writes a 32-bit code.
std::wstring HexCodeW(uint32_t value);
// Appends `value` as printf's "%0<width>d" would.
void AppendZeroPadded(std::string& out, int value, size_t width);

}  // namespace cumulo
