#include "ui/progress_percent.h"

#include "app/wide_text.h"

std::optional<uint64_t> DownloadPercent(uint32_t received, uint32_t total) {
  if (total == 0) return std::nullopt;
  const uint64_t p = static_cast<uint64_t>(received) * 100 / total;
  return p * 50 / 100;
}

std::optional<uint64_t> SetupPercent(uint32_t done, uint32_t total) {
  if (total == 0) return std::nullopt;
  const double p = static_cast<double>(done) * 100 / total * 50 / 100 + 50;
  return static_cast<uint64_t>(p);
}

int32_t CappedPercent(uint64_t percent) {
  return percent > 100 ? 100 : static_cast<int32_t>(percent);
}

std::wstring PercentLabel(int32_t percent) { return DecimalW(percent) + L" %"; }
