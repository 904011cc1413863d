#pragma once
// The arithmetic that maps the download's progress onto the bar's 0..100 percent.
#include <cstdint>
#include <optional>
#include <string>

namespace cumulo {

// The download fills the first half: floor(floor(received * 100 / total) * 50 / 100), in
// 64-bit unsigned arithmetic; not capped. No value for a zero total (nothing to show).
std::optional<uint64_t> DownloadPercent(uint32_t received, uint32_t total);
// What the bar shows for a computed value: at most 100.
int32_t CappedPercent(uint64_t percent);
// "37 %"
std::wstring PercentLabel(int32_t percent);

}  // namespace cumulo
