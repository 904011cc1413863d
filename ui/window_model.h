#pragma once
// The installer window's behaviour, independent of drawing: timers, first-action
// telemetry, system checks, progress, the install start and the outcome handling.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "install/install_shared.h"
#include "ui/ui_language.h"
#include "ui/window_view.h"

namespace cumulo {

constexpr uint32_t kPollPeriodMs = 500;
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
  WindowModel(WindowView& view, std::shared_ptr<InstallShared> shared, Language language);

  // The end of the window's opening: ready state, "first", then the system checks.
  void OnOpened(const SystemFacts& facts);
  void OnTimer(WindowTimer id);
  void OnCloseButton();
  void OnInstallButton();
  void OnDownloadProgress(uint32_t received, uint32_t total);
  // The window is being destroyed: a failed setup's log it never offered is deleted.
  void OnWindowGone();
  // Enter presses the focused control, none when the focus is on no shown, enabled one;
  // it never ends the window by itself.
  void OnEnterKey(std::optional<Control> focused);
  // Escape (and the system's close) takes the close button's road.
  void OnEscapeKey();

  void ApplyStateVisibility();
  void ShowPercent();
  void ReportFailure(const std::wstring& message);

  bool UserActed() const { return userActed_; }

 private:
  void ShowNoticeAndClose(WindowTimer timerId);
  void PollOutcome();
  void SetPercent(uint64_t computed);

  WindowView& view_;
  std::shared_ptr<InstallShared> shared_;
  Language language_;
  bool userActed_ = false;
};

}  // namespace cumulo
