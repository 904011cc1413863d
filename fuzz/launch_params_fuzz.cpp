// The --params container: whatever the web page passes, the map holds exactly the pieces
// that had an "=", decoded, the last one of a key winning; nothing else comes out of it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/launch_params.h"
#include "base/wide_text.h"
#include "fuzz/fuzz_support.h"

using namespace cumulo;
using cumulo::fuzz::Require;

namespace {

// The decoding the container promises, built apart from the product's: "+" is a blank,
// "%" and up to two characters are one byte read as the C library's "%x" reads them
// ("?" when they hold no number), anything else is copied.
std::string ReferenceDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] != '%') {
      out += text[i];
    } else {
      const std::string escape = text.substr(i + 1, 2);
      unsigned value = 0;
      const bool read = std::sscanf(escape.c_str(), "%x", &value) == 1;
      out += read ? static_cast<char>(value & 0xFF) : '?';
      i += escape.size();
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool wideUnits = input.ConsumeBool();
  const std::vector<uint8_t> rest = input.ConsumeRemainingBytes<uint8_t>();
  const std::wstring container = fuzz::WideFrom(rest.data(), rest.size(), wideUnits);
  const std::vector<std::wstring> args = {L"C:\\Downloads\\CumuloInstaller.exe", L"--params",
                                          container};
  const LaunchParams params = ParseLaunchParamsFrom(args, 0, nullptr);

  // The container as UTF-8 (the wide_text target holds the conversion) split at every "&".
  const std::string bytes = Utf8FromWide(container);
  std::map<std::string, std::string> expected;
  if (!container.empty()) {
    size_t start = 0;
    for (;;) {
      const size_t amp = bytes.find('&', start);
      const std::string piece = bytes.substr(start, amp - start);
      const size_t eq = piece.find('=');
      if (eq != std::string::npos) {
        expected[ReferenceDecode(piece.substr(0, eq))] = ReferenceDecode(piece.substr(eq + 1));
      }
      if (amp == std::string::npos) break;
      start = amp + 1;
    }
  }
  Require(UrlDecode(bytes) == ReferenceDecode(bytes), "UrlDecode reads escapes like %x");
  Require(params.size() == expected.size(), "one entry per distinct decoded key");
  for (const auto& [key, value] : params) {
    const auto found = expected.find(key);
    Require(found != expected.end(), "every key came from a piece of the input");
    Require(found->second == value, "every value is its key's last piece, decoded");
    Require(key.size() <= bytes.size() && value.size() <= bytes.size(),
            "decoding never makes a text longer");
  }
  return 0;
}
