#pragma once
// The Content-Range of a partial answer, read as untrusted server text.
#include <cstdint>
#include <optional>
#include <string>

namespace cumulo {

// "bytes first-last/complete": the answer carries bytes first..last (inclusive) of a
// representation that is `complete` bytes long.
struct ContentRange {
  uint64_t first = 0;
  uint64_t last = 0;
  uint64_t complete = 0;
};

// Only the exact form "bytes " digits "-" digits "/" digits, with first <= last <
// complete and every number below 2^53; anything else (blanks, signs, "*", an unknown
// unit, a number too long) gives nothing.
[[nodiscard]] std::optional<ContentRange> ParseContentRange(const std::wstring& value);

}  // namespace cumulo
