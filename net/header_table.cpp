#include "net/header_table.h"

namespace cumulo {

namespace {
bool IsNameEnd(wchar_t c) { return c == L':' || c == L' '; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }
}  // namespace

size_t HeaderNameHash::operator()(const std::wstring& name) const {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : name) {
    hash ^= static_cast<uint64_t>(FoldAscii(c));
    hash *= 1099511628211ull;
  }
  return static_cast<size_t>(hash);
}

bool HeaderNameEqual::operator()(const std::wstring& a, const std::wstring& b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

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

bool ParseContentLength(const std::wstring& text, uint64_t& length) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  const size_t digitsStart = i;
  uint64_t number = 0;
  bool nonZero = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    const uint64_t digit = static_cast<uint64_t>(text[i] - L'0');
    nonZero = nonZero || digit != 0;
    number = number > (UINT64_MAX - digit) / 10 ? UINT64_MAX : number * 10 + digit;
  }
  if (i == digitsStart) return false;
  if (negative && nonZero) return false;
  length = number;
  return true;
}

}  // namespace cumulo
