#include "ui/window_model.h"

#include <utility>

#include "base/journal.h"
#include "ui/failure_texts.h"
#include "ui/progress_percent.h"
#include "ui/ui_texts.h"

namespace cumulo {

WindowModel::WindowModel(WindowView& view, std::shared_ptr<InstallShared> shared, Language language)
    : view_(view), shared_(std::move(shared)), language_(language) {}

void WindowModel::OnOpened(const SystemFacts& facts) {
  shared_->installOutcome.store(InstallOutcome::Idle);
  ApplyStateVisibility();
  shared_->progressPercent.store(0);
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
    case WindowTimer::PollTimer:
      PollOutcome();
      return;
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

void WindowModel::PollOutcome() {
  const InstallOutcome outcome = shared_->installOutcome.load();
  if (outcome == InstallOutcome::Running) return;
  view_.StopTimer(WindowTimer::PollTimer);
  const OutcomeReport report = OutcomeReportFor(outcome, language_);
  if (report.closeWindow) {
    // Published with the outcome: the worker stores it before its exchange.
    view_.CloseWindow(shared_->clientStarted.load() ? WindowEnd::Installed
                                                    : WindowEnd::InstalledClientNotStarted);
    return;
  }
  view_.Log(report.journalLine, LogLevel::Error);
  ReportFailure(report.message);
}

void WindowModel::ReportFailure(const std::wstring& message) {
  view_.SendMetric(L"error", 1);
  shared_->installOutcome.exchange(InstallOutcome::Idle);
  ApplyStateVisibility();
  shared_->progressPercent.store(0);
  ShowPercent();
  // The worker has published its outcome, so it no longer writes the path.
  const std::wstring logPath = shared_->failedSetupLogPath;
  if (!logPath.empty()) {
    if (view_.RunSetupErrorDialog()) {
      view_.OpenInShell(logPath);
    } else {
      view_.RemoveFile(logPath);
    }
    return;
  }
  view_.ShowWarning(message, MessageCaption(language_));
}

void WindowModel::OnWindowGone() {
  shared_->windowClosed.store(true);
  // Read after the flag: an outcome published before it is one no poll will report.
  if (shared_->installOutcome.load() != InstallOutcome::SetupFailed) return;
  if (shared_->failedLogClaimed.exchange(true)) return;  // the worker deletes it
  const std::wstring logPath = shared_->failedSetupLogPath;
  if (!logPath.empty()) view_.RemoveFile(logPath);
}

void WindowModel::OnCloseButton() {
  if (!userActed_) view_.SendMetric(L"closed", 1);
  userActed_ = true;
  view_.StopTimer(WindowTimer::IdleTimer);
  view_.CloseWindow(WindowEnd::Closed);
}

void WindowModel::OnInstallButton() {
  if (shared_->installOutcome.load() != InstallOutcome::Idle) return;
  view_.Log(L"User started install procedure.", LogLevel::Info);
  if (!view_.IsSameUserAsExplorer()) {
    view_.Log(L"Launched by another user than explorer.", LogLevel::Warning);
    view_.SendMetric(L"not_the_same_user", 1);
    if (!view_.AskYesNo(OtherUserQuestion(language_), MessageCaption(language_))) return;
  }
  if (!userActed_) view_.SendMetric(L"started", 1);
  userActed_ = true;
  view_.StopTimer(WindowTimer::IdleTimer);
  shared_->progressPercent.store(0);
  ShowPercent();
  // The last run's kept log is not this run's, also when this run's worker cannot start.
  shared_->failedSetupLogPath.clear();
  shared_->installOutcome.exchange(InstallOutcome::Running);
  ApplyStateVisibility();
  view_.Log(L"Starting installation procedure...", LogLevel::Info);
  // A worker that cannot start has stored a failure outcome; the poll timer reports it.
  (void)view_.StartWorker();
  view_.StartTimer(WindowTimer::PollTimer, kPollPeriodMs);
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
  if (percent == shared_->progressPercent.load()) return;
  shared_->progressPercent.store(percent);
  ShowPercent();
}

void WindowModel::ApplyStateVisibility() {
  if (auto v = VisibilityFor(shared_->installOutcome.load())) view_.ApplyVisibility(*v);
  view_.Repaint();
}

void WindowModel::ShowPercent() {
  const int32_t percent = shared_->progressPercent.load();
  view_.ShowProgress(percent, PercentLabel(percent));
  view_.Repaint();
}

}  // namespace cumulo
