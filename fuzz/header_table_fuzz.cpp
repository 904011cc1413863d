// The response headers: every entry of the table is a line of the block (the first of
// its name in any ASCII case, spelled as there), nothing is read past the block, and the
// announced length is either absent or exactly the number the header writes.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/header_lines.h"
#include "net/header_table.h"

using namespace cumulo;
using cumulo::fuzz::Require;

namespace {

// What ParseContentLength must answer, decided on the digits as text: blanks, a sign,
// the digits up to the first other character; refused without digits or when negative;
// above 18446744073709551615 it reads as that number.
bool ReferenceLength(const std::wstring& text, uint64_t& length) {
  size_t i = text.find_first_not_of(L" \t");
  if (i == std::wstring::npos) return false;
  bool negative = false;
  if (text[i] == L'+' || text[i] == L'-') negative = text[i++] == L'-';
  std::string digits;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    digits += static_cast<char>(text[i]);
  }
  if (digits.empty()) return false;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  if (negative && digits != "0") return false;
  const std::string most = "18446744073709551615";
  if (digits.size() > most.size() || (digits.size() == most.size() && digits > most)) {
    length = UINT64_MAX;
    return true;
  }
  length = std::stoull(digits);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool wideUnits = input.ConsumeBool();
  const std::vector<uint8_t> rest = input.ConsumeRemainingBytes<uint8_t>();
  const std::wstring block = fuzz::WideFrom(rest.data(), rest.size(), wideUnits);

  const HeaderTable table = ParseHeaderTable(block);
  const std::vector<fuzz::HeaderLine> lines = fuzz::ReadHeaderLines(block);
  std::set<std::wstring> names;
  for (const auto& line : lines) names.insert(fuzz::FoldedName(line.name));
  Require(table.size() == names.size(), "one entry per distinct name of the block's lines");
  for (const auto& [name, value] : table) {
    Require(name.find_first_of(L"\r\n: ") == std::wstring::npos, "a name is one token");
    Require(value.find_first_of(L"\r\n") == std::wstring::npos, "a value stays on its line");
    std::wstring first;
    Require(fuzz::FirstHeader(lines, name, first) && first == value,
            "each name keeps the value of its first line");
    for (const auto& line : lines) {
      if (fuzz::FoldedName(line.name) != fuzz::FoldedName(name)) continue;
      Require(line.name == name, "the name is spelled as on its first line");
      break;
    }
  }

  const auto header = table.find(L"Content-Length");
  if (header == table.end()) return 0;
  const uint64_t kUntouched = 0xA5A5A5A5A5A5A5A5u;
  uint64_t length = kUntouched;
  uint64_t expected = 0;
  const bool parsed = ParseContentLength(header->second, length);
  const bool expectedParsed = ReferenceLength(header->second, expected);
  Require(parsed == expectedParsed, "a length is read exactly when the header writes one");
  Require(parsed ? length == expected : length == kUntouched,
          "a length is the number written, or absent and untouched");
  return 0;
}
