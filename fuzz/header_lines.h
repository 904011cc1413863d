#pragma once
// A second reading of a raw header block, written apart from the product's, for the
// header and redirect targets to compare against.
#include <string>
#include <vector>

namespace cumulo::fuzz {

struct HeaderLine {
  std::wstring name;
  std::wstring value;
};

// Lines split at runs of CR and LF; the name runs from the first character that is
// neither ":" nor a blank to the next of them; the value starts after that character
// and one blank after it, if there is one.
inline std::vector<HeaderLine> ReadHeaderLines(const std::wstring& block) {
  std::vector<HeaderLine> lines;
  size_t pos = 0;
  while ((pos = block.find_first_not_of(L"\r\n", pos)) != std::wstring::npos) {
    size_t end = block.find_first_of(L"\r\n", pos);
    if (end == std::wstring::npos) end = block.size();
    const std::wstring line = block.substr(pos, end - pos);
    pos = end;
    HeaderLine entry;
    const size_t nameStart = line.find_first_not_of(L": ");
    if (nameStart != std::wstring::npos) {
      const size_t nameEnd = std::min(line.find_first_of(L": ", nameStart), line.size());
      entry.name = line.substr(nameStart, nameEnd - nameStart);
      size_t valueStart = nameEnd + 1;
      if (valueStart < line.size() && line[valueStart] == L' ') ++valueStart;
      if (valueStart < line.size()) entry.value = line.substr(valueStart);
    }
    lines.push_back(entry);
  }
  return lines;
}

// The name with its ASCII capitals made small: names compare in this form.
inline std::wstring FoldedName(const std::wstring& name) {
  std::wstring folded = name;
  for (wchar_t& c : folded) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return folded;
}

// The value of the first line with this name, in any ASCII case; false when no line has it.
inline bool FirstHeader(const std::vector<HeaderLine>& lines, const std::wstring& name,
                        std::wstring& value) {
  for (const HeaderLine& line : lines) {
    if (FoldedName(line.name) == FoldedName(name)) {
      value = line.value;
      return true;
    }
  }
  return false;
}

}  // namespace cumulo::fuzz
