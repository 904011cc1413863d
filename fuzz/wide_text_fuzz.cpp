// UTF-8 and UTF-16: valid UTF-8 decodes and encodes back to the same bytes, anything
// else is refused with the output untouched; any UTF-16 encodes to valid UTF-8 that
// decodes to the same characters, unpaired surrogates becoming U+FFFD.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "base/wide_text.h"
#include "fuzz/fuzz_support.h"

using namespace cumulo;
using cumulo::fuzz::Require;

namespace {

// Well-formed UTF-8 by the table of well-formed byte sequences of the Unicode standard.
bool ReferenceValidUtf8(const std::string& text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = s[i];
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (b <= 0x7F) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b == 0xE0) {
      length = 3, low = 0xA0;
    } else if (b == 0xED) {
      length = 3, high = 0x9F;
    } else if (b >= 0xE1 && b <= 0xEF) {
      length = 3;
    } else if (b == 0xF0) {
      length = 4, low = 0x90;
    } else if (b == 0xF4) {
      length = 4, high = 0x8F;
    } else if (b >= 0xF1 && b <= 0xF3) {
      length = 4;
    } else {
      return false;
    }
    if (n - i < length) return false;
    if (s[i + 1] < low || s[i + 1] > high) return false;
    for (size_t k = 2; k < length; ++k) {
      if (s[i + k] < 0x80 || s[i + k] > 0xBF) return false;
    }
    i += length;
  }
  return true;
}

// Code points of a wide text, a UTF-16 pair counting as one; a lone surrogate is
// U+FFFD, and so is a value beyond U+10FFFF.
std::vector<uint32_t> CodePoints(const std::wstring& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const uint32_t next = static_cast<uint32_t>(text[i + 1]);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      }
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    out.push_back(c);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool fromWide = input.ConsumeBool();
  const std::vector<uint8_t> rest = input.ConsumeRemainingBytes<uint8_t>();

  if (fromWide) {
    const std::wstring wide = fuzz::WideFrom16(rest.data(), rest.size());
    const std::string utf8 = Utf8FromWide(wide);
    Require(ReferenceValidUtf8(utf8), "any wide text encodes to valid UTF-8");
    std::wstring back;
    Require(WideFromUtf8(utf8, back), "our own UTF-8 decodes");
    Require(CodePoints(back) == CodePoints(wide), "the characters survive the round trip");
    return 0;
  }

  const std::string bytes(rest.begin(), rest.end());
  const std::wstring kUntouched = L"untouched";
  std::wstring wide = kUntouched;
  const bool decoded = WideFromUtf8(bytes, wide);
  Require(decoded == ReferenceValidUtf8(bytes), "exactly the well-formed UTF-8 decodes");
  if (!decoded) {
    Require(wide == kUntouched, "a refusal leaves the output alone");
    return 0;
  }
  Require(Utf8FromWide(wide) == bytes, "valid UTF-8 comes back byte for byte");
  return 0;
}
