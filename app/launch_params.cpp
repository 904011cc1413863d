#include "app/launch_params.h"

#include "base/command_line.h"
#include "base/wide_text.h"

namespace cumulo {

namespace {
// Appended for a "%" whose next characters are not a hexadecimal number: a visible byte
// rather than a zero, which would cut the value short wherever it is used as text.
constexpr char kBadEscapeByte = '?';

bool IsHexDigit(char c, unsigned& digit) {
  if (c >= '0' && c <= '9') {
    digit = static_cast<unsigned>(c - '0');
  } else if (c >= 'a' && c <= 'f') {
    digit = static_cast<unsigned>(c - 'a' + 10);
  } else if (c >= 'A' && c <= 'F') {
    digit = static_cast<unsigned>(c - 'A' + 10);
  } else {
    return false;
  }
  return true;
}

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The escape's characters read the way C's "%x" reads them: leading white space, an
// optional sign, then hexadecimal digits up to the first other character. (A "0x" prefix
// cannot be followed by a digit within two characters, so "0x" reads as 0 either way.)
// False when no digit is found.
bool ReadEscape(const char* text, size_t length, unsigned char& byte) {
  size_t i = 0;
  while (i < length && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  unsigned value = 0;
  unsigned digit = 0;
  bool any = false;
  for (; i < length && IsHexDigit(text[i], digit); ++i) {
    value = value * 16 + digit;
    any = true;
  }
  if (!any) return false;
  if (negative) value = 0u - value;
  byte = static_cast<unsigned char>(value & 0xFF);
  return true;
}
}  // namespace

std::string UrlDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c == '%') {
      const size_t length = text.size() - (i + 1) < 2 ? text.size() - (i + 1) : 2;
      unsigned char byte = 0;
      const bool ok = ReadEscape(text.data() + i + 1, length, byte);
      out.push_back(ok ? static_cast<char>(byte) : kBadEscapeByte);
      i += length;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void ParseContainerEntry(const std::string& piece, LaunchParams& map,
                         const std::shared_ptr<MetricSender>& sender) {
  const size_t eq = piece.find('=');
  if (eq == std::string::npos) {
    if (sender) sender->SendMetric(L"err_parse_container_1", 1);
    return;
  }
  map[UrlDecode(piece.substr(0, eq))] = UrlDecode(piece.substr(eq + 1));
}

LaunchParams ParseLaunchParamsFrom(const std::vector<std::wstring>& args, uint32_t lastError,
                                   const std::shared_ptr<MetricSender>& sender) {
  LaunchParams map;
  bool found = false;
  const std::wstring container = FindOptionValue(args, L"--params", &found);
  if (!found || container.empty()) {
    if (sender) sender->SendMetric(L"err_read_container", static_cast<int32_t>(lastError));
    return map;
  }
  // UTF-8, so that text typed into the container itself (not percent-encoded) reaches the
  // values as the same characters that percent-encoded UTF-8 would give.
  const std::string bytes = Utf8FromWide(container);
  size_t start = 0;
  for (;;) {
    const size_t amp = bytes.find('&', start);
    if (amp == std::string::npos) {
      ParseContainerEntry(bytes.substr(start), map, sender);
      break;
    }
    ParseContainerEntry(bytes.substr(start, amp - start), map, sender);
    start = amp + 1;
  }
  return map;
}

}  // namespace cumulo
