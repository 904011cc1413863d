#include "ui/window_model.h"

#include <utility>

#include "base/journal.h"
#include "ui/failure_texts.h"
#include "ui/progress_percent.h"
#include "ui/ui_texts.h"

namespace cumulo {

WindowModel::WindowModel(WindowView& view, Language language) : view_(view), language_(language) {}

void WindowModel::OnOpened(const SystemFacts& facts) {
  state_ = InstallOutcome::Idle;
  ApplyStateVisibility();
  percent_ = 0;
  ShowPercent();
  view_.SendMetric(L"first", 1);

  // The first failing check wins; the notice follows on its timer.
  if (!facts.supportedArchitecture) {
    view_.Log(L"Non-compatible CPU architecture.", LogLevel::Error);
    view_.SendMetric(L"unsupported_arch", 1);
    view_.DisableInstallButton();
    view_.StartTimer(WindowTimer::CpuNoticeTimer, kCpuNoticeDelayMs);
  } else if (!facts.windows7OrLater) {
    view_.Log(L"Windows 7 is a minimal version supported.", LogLevel::Error);
    view_.SendMetric(L"need_win_7", 1);
    view_.DisableInstallButton();
    view_.StartTimer(WindowTimer::VersionNoticeTimer, kVersionNoticeDelayMs);
  } else if (!facts.windows7Sp1OrLater) {
    view_.Log(L"Windows 7 SP 1 required.", LogLevel::Error);
    view_.SendMetric(L"need_sp1", 1);
    view_.DisableInstallButton();
    view_.StartTimer(WindowTimer::ServicePackNoticeTimer, kVersionNoticeDelayMs);
  } else {
    view_.StartTimer(WindowTimer::IdleTimer, kIdlePeriodMs);
  }
}

void WindowModel::OnTimer(WindowTimer id) {
  switch (id) {
    case WindowTimer::IdleTimer:
      if (!userActed_) view_.SendMetric(L"no_action", 1);
      userActed_ = true;
      view_.StopTimer(WindowTimer::IdleTimer);
      return;
    case WindowTimer::VersionNoticeTimer:
    case WindowTimer::ServicePackNoticeTimer:
    case WindowTimer::CpuNoticeTimer:
      ShowNoticeAndClose(id);
      return;
    default:
      return;
  }
}

void WindowModel::ShowNoticeAndClose(WindowTimer timerId) {
  view_.StopTimer(timerId);
  const Notice notice = timerId == WindowTimer::CpuNoticeTimer       ? Notice::Cpu
                        : timerId == WindowTimer::VersionNoticeTimer ? Notice::Version
                                                                     : Notice::ServicePack;
  view_.ShowNotice(NoticeText(notice, language_), MessageCaption(language_));
  view_.CloseWindow(WindowEnd::Refused);
}

void WindowModel::OnInstallFinished(const InstallResult& result) {
  // One result per run: a stray one while idle, or after the window has ended, changes nothing.
  if (state_ != InstallOutcome::Running) return;
  const OutcomeReport report = OutcomeReportFor(result.outcome, language_);
  if (report.closeWindow) {
    state_ = result.outcome;
    view_.CloseWindow(result.clientStarted ? WindowEnd::Installed
                                           : WindowEnd::InstalledClientNotStarted);
    return;
  }
  view_.Log(report.journalLine, LogLevel::Error);
  ReportFailure(report.message, result.outcome == InstallOutcome::SetupFailed
                                    ? result.failedSetupLogPath
                                    : std::wstring());
}

void WindowModel::ReportFailure(const std::wstring& message, const std::wstring& failedLogPath) {
  view_.SendMetric(L"error", 1);
  state_ = InstallOutcome::Idle;
  ApplyStateVisibility();
  percent_ = 0;
  ShowPercent();
  if (!failedLogPath.empty()) {
    if (view_.RunSetupErrorDialog()) {
      view_.OpenInShell(failedLogPath);
    } else {
      view_.RemoveFile(failedLogPath);
    }
    return;
  }
  view_.ShowWarning(message, MessageCaption(language_));
}

void WindowModel::OnWindowGone(const std::optional<InstallResult>& untaken) {
  if (!untaken || untaken->outcome != InstallOutcome::SetupFailed) return;
  if (!untaken->failedSetupLogPath.empty()) view_.RemoveFile(untaken->failedSetupLogPath);
}

void WindowModel::OnCloseButton() {
  if (!userActed_) view_.SendMetric(L"closed", 1);
  userActed_ = true;
  view_.StopTimer(WindowTimer::IdleTimer);
  view_.CloseWindow(WindowEnd::Closed);
}

void WindowModel::OnInstallButton() {
  if (state_ != InstallOutcome::Idle) return;
  view_.Log(L"User started install procedure.", LogLevel::Info);
  if (!view_.IsSameUserAsExplorer()) {
    view_.Log(L"Launched by another user than explorer.", LogLevel::Warning);
    view_.SendMetric(L"not_the_same_user", 1);
    if (!view_.AskYesNo(OtherUserQuestion(language_), MessageCaption(language_))) return;
  }
  if (!userActed_) view_.SendMetric(L"started", 1);
  userActed_ = true;
  view_.StopTimer(WindowTimer::IdleTimer);
  percent_ = 0;
  ShowPercent();
  state_ = InstallOutcome::Running;
  ApplyStateVisibility();
  view_.Log(L"Starting installation procedure...", LogLevel::Info);
  // A worker that cannot start has reported a failure, which arrives as any result does.
  (void)view_.StartWorker();
  view_.Repaint();
}

void WindowModel::OnDownloadProgress(uint32_t received, uint32_t total) {
  if (auto p = DownloadPercent(received, total)) SetPercent(*p);
}

void WindowModel::OnEnterKey(std::optional<Control> focused) {
  if (!focused) return;
  switch (*focused) {
    case Control::InstallButton:
      OnInstallButton();
      return;
    case Control::CloseButton:
      OnCloseButton();
      return;
    case Control::TermsLink:
      view_.OpenInShell(WindowTextsFor(language_).linkAddress);
      return;
    default:
      return;
  }
}

void WindowModel::OnEscapeKey() { OnCloseButton(); }

void WindowModel::SetPercent(uint64_t computed) {
  // Compared after capping, so repeated reports past the total repaint nothing either.
  const int32_t percent = CappedPercent(computed);
  if (percent == percent_) return;
  percent_ = percent;
  ShowPercent();
}

void WindowModel::ApplyStateVisibility() {
  if (auto v = VisibilityFor(state_)) view_.ApplyVisibility(*v);
  view_.Repaint();
}

// Only the bar and its label: a progress step leaves the rest of the window alone.
void WindowModel::ShowPercent() { view_.ShowProgress(percent_, PercentLabel(percent_)); }

}  // namespace cumulo
