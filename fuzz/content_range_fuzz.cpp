// Content-Range, as a server may send it: a range is found only in the exact form, it
// is consistent (first <= last < complete, all below 2^53), and writing it back in the
// canonical form parses to the same range.
#include <string>

#include "base/wide_text.h"
#include "fuzz/fuzz_support.h"
#include "net/content_range.h"

using namespace cumulo;
using cumulo::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::WideFrom8(data, size);
  const auto range = ParseContentRange(text);
  if (!range) return 0;
  Require(range->first <= range->last && range->last < range->complete, "a consistent range");
  Require(range->complete < (uint64_t{1} << 53), "numbers below 2^53");

  const std::wstring unit = L"bytes ";
  Require(text.compare(0, unit.size(), unit) == 0, "the bytes unit");
  size_t dashes = 0, slashes = 0;
  for (size_t i = unit.size(); i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'-')
      ++dashes;
    else if (c == L'/')
      ++slashes;
    else
      Require(c >= L'0' && c <= L'9', "nothing but ASCII digits, one - and one /");
  }
  Require(dashes == 1 && slashes == 1, "nothing but ASCII digits, one - and one /");

  const std::wstring canonical = unit + DecimalW(static_cast<int64_t>(range->first)) + L"-" +
                                 DecimalW(static_cast<int64_t>(range->last)) + L"/" +
                                 DecimalW(static_cast<int64_t>(range->complete));
  const auto again = ParseContentRange(canonical);
  Require(again && again->first == range->first && again->last == range->last &&
              again->complete == range->complete,
          "the canonical form reads back the same");
  return 0;
}
