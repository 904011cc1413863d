#pragma once
// What the installer window's model asks of the platform. The Win32 window carries
// these out; tests record them.
#include <cstdint>
#include <string>

#include "base/log_level.h"
#include "ui/window_layout.h"

namespace cumulo {

enum class WindowTimer : int {
  IdleTimer = 2,
  VersionNoticeTimer = 3,
  ServicePackNoticeTimer = 4,
  CpuNoticeTimer = 5,
};

// Why the window closed; start-up turns it into the process exit code.
enum class WindowEnd : int {
  Installed = 0,                  // the installation succeeded
  Closed = 1,                     // the user closed the window
  Refused = 2,                    // a system check failed and its notice was shown
  InstalledClientNotStarted = 3,  // the setup succeeded, but no client process was seen
};

class WindowView {
 public:
  virtual ~WindowView() = default;

  virtual void SendMetric(const std::wstring& name, int32_t value) = 0;
  virtual void Log(const std::wstring& line, LogLevel level) = 0;
  virtual void StartTimer(WindowTimer id, uint32_t periodMs) = 0;
  virtual void StopTimer(WindowTimer id) = 0;
  virtual void DisableInstallButton() = 0;
  virtual void ApplyVisibility(const Visibility& visibility) = 0;
  // The bar's position and the percent label's text, each repainted over the art; nothing
  // else of the window is drawn again.
  virtual void ShowProgress(int32_t percent, const std::wstring& label) = 0;
  // Invalidates the whole window with erase and repaints it at once.
  virtual void Repaint() = 0;
  // Ends the window's modal loop.
  virtual void CloseWindow(WindowEnd end) = 0;

  // Message box with the OK button only, no icon.
  virtual void ShowNotice(const std::wstring& text, const std::wstring& caption) = 0;
  // Message box with the warning icon.
  virtual void ShowWarning(const std::wstring& text, const std::wstring& caption) = 0;
  // Yes/No box with the exclamation icon; true only for Yes.
  virtual bool AskYesNo(const std::wstring& text, const std::wstring& caption) = 0;
  // The error dialog after a failed setup; true when the user chose "Journal".
  virtual bool RunSetupErrorDialog() = 0;
  virtual void OpenInShell(const std::wstring& path) = 0;  // failures ignored
  virtual void RemoveFile(const std::wstring& path) = 0;   // failures ignored

  virtual bool IsSameUserAsExplorer() = 0;
  // Starts the install worker; on failure the worker side has stored a failure outcome.
  virtual bool StartWorker() = 0;
};

}  // namespace cumulo
