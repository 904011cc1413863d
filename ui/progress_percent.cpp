#include "ui/progress_percent.h"

#include "base/wide_text.h"

namespace cumulo {

std::optional<uint64_t> DownloadPercent(uint32_t received, uint32_t total) {
  if (total == 0) return std::nullopt;
  const uint64_t p = static_cast<uint64_t>(received) * 100 / total;
  return p * 50 / 100;
}

int32_t CappedPercent(uint64_t percent) {
  return percent > 100 ? 100 : static_cast<int32_t>(percent);
}

std::wstring PercentLabel(int32_t percent) { return DecimalW(percent) + L" %"; }

}  // namespace cumulo
