#pragma once
// What every fuzz target shares: a failed property aborts (libFuzzer reports it as a
// crash, with the input), and the raw bytes are read as the texts a target needs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace cumulo::fuzz {

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property failed: %s\n", property);
  std::abort();
}

// Bytes in pairs, little-endian, as UTF-16 code units (what Windows hands over); an odd
// last byte is one more unit.
inline std::wstring WideFrom16(const uint8_t* data, size_t size) {
  std::wstring out;
  out.reserve(size / 2 + 1);
  for (size_t i = 0; i < size; i += 2) {
    unsigned unit = data[i];
    if (i + 1 < size) unit |= static_cast<unsigned>(data[i + 1]) << 8;
    out.push_back(static_cast<wchar_t>(unit));
  }
  return out;
}

// Bytes one by one as code units: ASCII-looking seeds stay readable in the corpus.
inline std::wstring WideFrom8(const uint8_t* data, size_t size) {
  std::wstring out;
  out.reserve(size);
  for (size_t i = 0; i < size; ++i) out.push_back(static_cast<wchar_t>(data[i]));
  return out;
}

// The bytes as UTF-16 units or one unit a byte, as the input's own flag chose.
inline std::wstring WideFrom(const uint8_t* data, size_t size, bool sixteenBitUnits) {
  return sixteenBitUnits ? WideFrom16(data, size) : WideFrom8(data, size);
}

// The input split at its first byte `separator`: before it and after it (all of it,
// and nothing after, when there is none).
inline void SplitAt(const uint8_t* data, size_t size, uint8_t separator, std::string& first,
                    std::string& rest) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t at = all.find(static_cast<char>(separator));
  first = all.substr(0, at);
  rest = at == std::string::npos ? std::string() : all.substr(at + 1);
}

}  // namespace cumulo::fuzz
