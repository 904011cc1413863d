#include "install/process_user_check.h"

#include "base/wide_text.h"
#include "install/process_probe_rules.h"

namespace cumulo {

const wchar_t kExplorerFilter[] = L"explorer";

std::wstring ImageNameOf(ProbedProcess& process, const DiagnosticSink& sink) {
  const ImagePathReading reading = process.ImagePath();
  if (!reading.read) {
    sink("Failed to get proc image name, error: " + Decimal(reading.error));
    return {};
  }
  return FileNamePart(reading.path);
}

std::optional<UserSid> TokenUserOf(ProcessTable& table, uint32_t pid, const std::wstring& filter,
                                   const DiagnosticSink& sink) {
  if (pid == 0) return std::nullopt;
  const std::unique_ptr<ProbedProcess> process = table.Open(pid);
  if (!process) return std::nullopt;
  if (!filter.empty() && !ImageNameMatchesFilter(ImageNameOf(*process, sink), filter)) {
    return std::nullopt;
  }
  return process->TokenUser(sink);
}

bool SameUserAsProcess(ProcessTable& table, uint32_t pid, const DiagnosticSink& sink) {
  const auto current = TokenUserOf(table, table.CurrentProcessId(), L"", sink);
  if (!current) {
    sink("Failed to get token for current process");
    return false;
  }
  const auto other = TokenUserOf(table, pid, L"", sink);
  if (!other) {
    sink("Failed to get token for Cumulo process");
    return false;
  }
  return *current == *other;
}

bool SameUserAsExplorer(ProcessTable& table, const DiagnosticSink& sink) {
  std::vector<uint32_t> ids;
  uint32_t error = 0;
  if (!table.ListIds(kProcessIdCapacity, ids, error)) {
    sink("Failed to enum procs, error: " + Decimal(error));
    return false;
  }
  const auto current = TokenUserOf(table, table.CurrentProcessId(), L"", sink);
  if (!current) {
    sink("Failed to get token for current process");
    return false;
  }
  for (size_t i = 0; i < ids.size() && i < kProcessIdCapacity; ++i) {
    const auto shell = TokenUserOf(table, ids[i], kExplorerFilter, sink);
    if (shell && *shell == *current) return true;
  }
  return false;
}

}  // namespace cumulo
