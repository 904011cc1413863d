#include <windows.h>
// windows.h first: the shell header needs its types.
#include <shellapi.h>

#include "build_config.h"
#include "install/package_trust_win.h"
#include "install/setup_runner.h"
#include "win/unique_handle.h"

namespace cumulo {

SetupAttempt RunSetupProcess(const SetupParams& params, const std::wstring& parameters, bool show) {
  return RunSetupProcessWith(params, parameters, show, nullptr);
}

SetupAttempt RunSetupProcessWith(const SetupParams& params, const std::wstring& parameters,
                                 bool show, OfflineSignatureCheck offline) {
  SetupAttempt attempt;
  // Held from before the check until the package has exited, so that the bytes verified
  // are the bytes started; released on return, before the procedure deletes the file.
  const ScopedFile held = HoldPackageWaitingOutLocks(params.setupFile, WriteToProcessJournal);
  if (!held.IsValid()) {
    attempt.value = GetLastError();  // a missing or still locked package cannot be started
    return attempt;
  }
  const uint32_t trust = PackageTrustCode(
      CheckPackageSignature(held.Get(), params.setupFile, WriteToProcessJournal, offline),
      build_config::kPackagePublisher);
  if (trust != 0) {
    attempt.stage = SetupAttempt::Stage::Untrusted;
    attempt.value = trust;
    return attempt;
  }

  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = params.setupFile.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = params.workingDirectory.c_str();
  info.nShow = show ? SW_SHOW : SW_HIDE;
  if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
    attempt.value = GetLastError();
    return attempt;
  }
  // Closed on every path, also when the wait or the exit code fails.
  ScopedHandle process(info.hProcess);
  if (WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0) {
    attempt.stage = SetupAttempt::Stage::WaitFailed;
    attempt.value = GetLastError();
    return attempt;
  }
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) {
    attempt.stage = SetupAttempt::Stage::NoExitCode;
    attempt.value = GetLastError();
    return attempt;
  }
  attempt.stage = SetupAttempt::Stage::Exited;
  attempt.value = exitCode;
  return attempt;
}

}  // namespace cumulo
