// The telemetry URL: whatever utm a web page or the registry hands over, the composed
// URL is one valid URL whose query parses back into exactly the parameters composed,
// with the utm decoding to the tag's UTF-8 bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <utility>
#include <vector>

#include "base/wide_text.h"
#include "fuzz/fuzz_support.h"
#include "net/metric_sender.h"

using namespace cumulo;
using cumulo::fuzz::Require;

namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;  // the encoder writes upper-case digits only
}

// Strict percent-decoding: every "%" starts two hex digits; false otherwise.
bool PercentDecode(const std::wstring& text, std::string& bytes) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'%') {
      bytes.push_back(static_cast<char>(text[i]));
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

std::vector<std::pair<std::wstring, std::wstring>> QueryPairs(const std::wstring& query) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  size_t start = 0;
  for (;;) {
    const size_t end = query.find(L'&', start);
    const std::wstring piece = query.substr(start, end - start);
    const size_t equals = piece.find(L'=');
    Require(equals != std::wstring::npos, "every parameter has a value");
    Require(piece.find(L'=', equals + 1) == std::wstring::npos, "one = per parameter");
    pairs.emplace_back(piece.substr(0, equals), piece.substr(equals + 1));
    if (end == std::wstring::npos) return pairs;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int32_t value = in.ConsumeIntegral<int32_t>();
  const std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
  const std::wstring tag = fuzz::WideFrom16(rest.data(), rest.size());

  const std::wstring url =
      MetricUrl(MetricUrlHead(L"stat.example", tag), L"22030052", L"WCid0001", L"setup_run", value);
  for (wchar_t c : url) {
    Require(c > 0x20 && c < 0x7F, "printable ASCII only");
    Require(c != L'#', "no fragment");
  }
  const std::wstring head = L"https://stat.example/update?";
  Require(url.compare(0, head.size(), head) == 0, "the endpoint and its path");

  std::vector<std::pair<std::wstring, std::wstring>> expected = {{L"p", L"strato"}};
  if (!tag.empty()) expected.emplace_back(L"utm", L"");
  expected.emplace_back(L"t", L"cumulo_windows_22030052");
  expected.emplace_back(L"iid", L"WCid0001");
  expected.emplace_back(L"v", L"0");
  expected.emplace_back(L"i", L"new_installer_setup_run:" + DecimalW(value));

  const auto pairs = QueryPairs(url.substr(head.size()));
  Require(pairs.size() == expected.size(), "exactly the parameters composed");
  for (size_t i = 0; i < pairs.size(); ++i) {
    Require(pairs[i].first == expected[i].first, "the parameters in their order");
    if (expected[i].first == L"utm") {
      std::string decoded;
      Require(PercentDecode(pairs[i].second, decoded), "the utm is well encoded");
      Require(decoded == Utf8FromWide(tag), "the utm decodes to the tag");
    } else {
      Require(pairs[i].second == expected[i].second, "the fixed values unchanged");
    }
  }
  return 0;
}
