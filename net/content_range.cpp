#include "net/content_range.h"

namespace cumulo {

namespace {
// Far beyond any package, and small enough that no sum or comparison can overflow.
constexpr uint64_t kLargest = (uint64_t{1} << 53) - 1;
constexpr size_t kMostDigits = 16;

// Reads the digits at `at` up to `stop`; false without digits, with too many, or when
// another character comes first.
bool ReadNumber(const std::wstring& text, size_t& at, wchar_t stop, uint64_t& number) {
  const size_t start = at;
  uint64_t value = 0;
  while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
    if (at - start == kMostDigits) return false;
    value = value * 10 + static_cast<uint64_t>(text[at] - L'0');
    ++at;
  }
  if (at == start || value > kLargest) return false;
  if (stop != 0) {
    if (at == text.size() || text[at] != stop) return false;
    ++at;
  } else if (at != text.size()) {
    return false;
  }
  number = value;
  return true;
}
}  // namespace

std::optional<ContentRange> ParseContentRange(const std::wstring& value) {
  static const std::wstring kUnit = L"bytes ";
  if (value.compare(0, kUnit.size(), kUnit) != 0) return std::nullopt;
  size_t at = kUnit.size();
  ContentRange range;
  if (!ReadNumber(value, at, L'-', range.first) || !ReadNumber(value, at, L'/', range.last) ||
      !ReadNumber(value, at, 0, range.complete)) {
    return std::nullopt;
  }
  if (range.first > range.last || range.last >= range.complete) return std::nullopt;
  return range;
}

}  // namespace cumulo
