#include "base/wide_text.h"

#include <charconv>

namespace cumulo {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendWide(std::wstring& out, uint32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

}  // namespace

std::string Utf8FromWide(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = static_cast<uint32_t>(text[i]);
    if (sizeof(wchar_t) == 2) cp &= 0xFFFF;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      uint32_t low = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
    AppendUtf8(out, cp);
  }
  return out;
}

bool WideFromUtf8(const std::string& bytes, std::wstring& out) {
  std::wstring result;
  result.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    uint32_t cp;
    size_t extra;
    if (b0 < 0x80) {
      cp = b0;
      extra = 0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      cp = b0 & 0x1F;
      extra = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      cp = b0 & 0x0F;
      extra = 2;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      cp = b0 & 0x07;
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= bytes.size() && extra > 0) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (b & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    AppendWide(result, cp);
    i += extra + 1;
  }
  out.swap(result);
  return true;
}

std::string NarrowLow8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out.push_back(static_cast<char>(static_cast<uint32_t>(c) & 0xFF));
  return out;
}

std::wstring WidenAscii(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (char c : text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return out;
}

std::wstring LowerAsciiLetters(std::wstring text) {
  for (auto& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

// to_chars instead of the printf family: the C library's formatter would pull its whole
// floating-point machinery into the installer.
std::string Decimal(int64_t value) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  return std::string(buf, end);
}

std::wstring DecimalW(int64_t value) { return WidenAscii(Decimal(value)); }

std::wstring UnsignedDecimalW(uint32_t value) { return WidenAscii(Decimal(value)); }

std::wstring HexCodeW(uint32_t value) {
  std::wstring text = L"0x";
  for (int shift = 28; shift >= 0; shift -= 4)
    text.push_back(L"0123456789ABCDEF"[(value >> shift) & 0xF]);
  return text;
}

void AppendZeroPadded(std::string& out, int value, size_t width) {
  // As printf's "%0<width>d": the sign counts towards the width.
  std::string digits = Decimal(value < 0 ? -static_cast<int64_t>(value) : value);
  const size_t room = value < 0 ? (width > 0 ? width - 1 : 0) : width;
  if (value < 0) out.push_back('-');
  if (digits.size() < room) out.append(room - digits.size(), '0');
  out += digits;
}

}  // namespace cumulo
