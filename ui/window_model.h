#pragma once
// The installer window's behaviour, independent of drawing: timers, first-action
// telemetry, system checks, progress, the install start and the result handling. It owns
// what the window shows: its state and its percent.
#include <cstdint>
#include <optional>
#include <string>

#include "install/install_outcome.h"
#include "install/install_progress.h"
#include "ui/ui_language.h"
#include "ui/window_view.h"

namespace cumulo {

constexpr uint32_t kIdlePeriodMs = 300000;
constexpr uint32_t kVersionNoticeDelayMs = 1000;
constexpr uint32_t kCpuNoticeDelayMs = 0;

struct SystemFacts {
  bool supportedArchitecture = true;
  bool windows7OrLater = true;
  bool windows7Sp1OrLater = true;
};

class WindowModel {
 public:
  WindowModel(WindowView& view, Language language);

  // The end of the window's opening: ready state, "first", then the system checks.
  void OnOpened(const SystemFacts& facts);
  void OnTimer(WindowTimer id);
  void OnCloseButton();
  void OnInstallButton();
  void OnDownloadProgress(uint32_t received, uint32_t total);
  // The install job's one result, taken on the window's thread.
  void OnInstallFinished(const InstallResult& result);
  // The window is being destroyed; `untaken` is a result that arrived too late to be
  // reported, whose failed setup's log no one will offer, so it is deleted.
  void OnWindowGone(const std::optional<InstallResult>& untaken);
  // Enter presses the focused control, none when the focus is on no shown, enabled one;
  // it never ends the window by itself.
  void OnEnterKey(std::optional<Control> focused);
  // Escape (and the system's close) takes the close button's road.
  void OnEscapeKey();

  void ApplyStateVisibility();
  void ShowPercent();
  // "error", the ready state, then the error dialog for a failed setup's log, or `message`.
  void ReportFailure(const std::wstring& message, const std::wstring& failedLogPath);

  bool UserActed() const { return userActed_; }
  // Idle, Running, or the outcome that ended the window.
  InstallOutcome State() const { return state_; }
  int32_t Percent() const { return percent_; }

 private:
  void ShowNoticeAndClose(WindowTimer timerId);
  void SetPercent(uint64_t computed);

  WindowView& view_;
  Language language_;
  bool userActed_ = false;
  InstallOutcome state_ = InstallOutcome::Idle;
  int32_t percent_ = 0;
};

}  // namespace cumulo
