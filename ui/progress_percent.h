#pragma once
// The arithmetic that maps the two progress messages onto the bar's 0..100 percent.
#include <cstdint>
#include <optional>
#include <string>

// The download fills the first half: floor(floor(received * 100 / total) * 50 / 100), in
// 64-bit unsigned arithmetic; not capped. No value for a zero total (nothing to show).
std::optional<uint64_t> DownloadPercent(uint32_t received, uint32_t total);
// The setup phase fills the second half: done * 100 / total * 50 / 100 + 50 in floating
// point, truncated toward zero; not capped. No value for a zero total.
std::optional<uint64_t> SetupPercent(uint32_t done, uint32_t total);
// What the bar shows for a computed value: at most 100.
int32_t CappedPercent(uint64_t percent);
// "37 %"
std::wstring PercentLabel(int32_t percent);
