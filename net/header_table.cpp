#include "net/header_table.h"

namespace cumulo {

namespace {
bool IsNameEnd(wchar_t c) { return c == L':' || c == L' '; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

void SplitHeaderLine(const std::wstring& line, std::wstring& name, std::wstring& value) {
  size_t begin = 0;
  while (begin < line.size() && IsNameEnd(line[begin])) ++begin;
  size_t end = begin;
  while (end < line.size() && !IsNameEnd(line[end])) ++end;
  name = line.substr(begin, end - begin);
  // The value follows the character that ended the name and one blank after it, if
  // there is one; "Name:value" keeps its first character.
  size_t at = end + 1;
  if (at < line.size() && line[at] == L' ') ++at;
  value = at < line.size() ? line.substr(at) : std::wstring();
}

HeaderTable ParseHeaderTable(const std::wstring& block) {
  HeaderTable table;
  size_t pos = 0;
  while (pos < block.size()) {
    while (pos < block.size() && (block[pos] == L'\r' || block[pos] == L'\n')) ++pos;
    size_t end = pos;
    while (end < block.size() && block[end] != L'\r' && block[end] != L'\n') ++end;
    if (end > pos) {
      std::wstring name, value;
      SplitHeaderLine(block.substr(pos, end - pos), name, value);
      table.emplace(std::move(name), std::move(value));  // keeps an earlier entry
    }
    pos = end;
  }
  return table;
}

bool ParseContentLength(const std::wstring& text, uint32_t& length) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  const size_t digitsStart = i;
  int64_t number = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    number = number * 10 + (text[i] - L'0');
    if (number > INT32_MAX + int64_t{1}) return false;
  }
  if (i == digitsStart) return false;
  if (negative) number = -number;
  if (number < 0 || number > INT32_MAX) return false;
  length = static_cast<uint32_t>(number);
  return true;
}

}  // namespace cumulo
