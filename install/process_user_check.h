#pragma once
// The user checks of the process probes as decisions over the machine's answers, so that
// they run with a fake machine (one with 64-bit processes around a 32-bit installer, say)
// as well as on Windows.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/process_probe.h"

namespace cumulo {

// A process's full image path as the system reported it, or why it could not.
struct ImagePathReading {
  bool read = false;
  std::wstring path;
  uint32_t error = 0;  // the thread's code at the failed reading
};

// A token user's SID as its bytes: two SIDs are equal when their bytes are.
using UserSid = std::string;

// One process opened for limited queries.
class ProbedProcess {
 public:
  virtual ~ProbedProcess() = default;
  // The reading that works across bitness (from a 32-bit process on a 64-bit one too).
  virtual ImagePathReading ImagePath() = 0;
  // Empty when the token user cannot be read; the reason goes to the sink.
  virtual std::optional<UserSid> TokenUser(const DiagnosticSink& sink) = 0;
};

class ProcessTable {
 public:
  virtual ~ProcessTable() = default;
  // At most `capacity` ids of running processes; false, with the error, when none can be listed.
  virtual bool ListIds(size_t capacity, std::vector<uint32_t>& ids, uint32_t& error) = 0;
  virtual uint32_t CurrentProcessId() = 0;
  // Null when the process cannot be opened.
  virtual std::unique_ptr<ProbedProcess> Open(uint32_t pid) = 0;
};

constexpr size_t kProcessIdCapacity = 1024;
// The desktop shell's image-name filter.
extern const wchar_t kExplorerFilter[];

// The file-name part of the image path; empty, with the reason given to the sink, when
// the path cannot be read.
std::wstring ImageNameOf(ProbedProcess& process, const DiagnosticSink& sink);
// The token user of `pid`; empty when the process cannot be opened (silently), its image
// name lacks a non-empty `filter` (lower-case), or the token user cannot be read.
std::optional<UserSid> TokenUserOf(ProcessTable& table, uint32_t pid, const std::wstring& filter,
                                   const DiagnosticSink& sink);
bool SameUserAsProcess(ProcessTable& table, uint32_t pid, const DiagnosticSink& sink);
// True when some process whose image name contains "explorer" runs under the current
// process's user; any failure counts as a different user.
bool SameUserAsExplorer(ProcessTable& table, const DiagnosticSink& sink);

}  // namespace cumulo
