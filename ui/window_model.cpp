#include "ui/window_model.h"

#include <utility>

#include "app/install_log.h"
#include "ui/failure_texts.h"
#include "ui/progress_percent.h"
#include "ui/ui_texts.h"

WindowModel::WindowModel(WindowView& view, std::shared_ptr<InstallShared> shared, bool russian)
    : view_(view), shared_(std::move(shared)), russian_(russian) {}

void WindowModel::OnOpened(const SystemFacts& facts) {
  shared_->installOutcome.store(Idle);
  ApplyStateVisibility();
  shared_->progressPercent.store(0);
  ShowPercent();
  view_.SendMetric(L"first", 1);

  // The first failing check wins; the notice follows on its timer.
  if (!facts.supportedArchitecture) {
    view_.Log(L"Non-compatible CPU architecture.", Error);
    view_.SendMetric(L"unsupported_arch", 1);
    view_.DisableInstallButton();
    view_.SetTimer(CpuNoticeTimer, kCpuNoticeDelayMs);
  } else if (!facts.windows7OrLater) {
    view_.Log(L"Windows 7 is a minimal version supported.", Error);
    view_.SendMetric(L"need_win_7", 1);
    view_.DisableInstallButton();
    view_.SetTimer(VersionNoticeTimer, kVersionNoticeDelayMs);
  } else if (!facts.windows7Sp1OrLater) {
    view_.Log(L"Windows 7 SP 1 required.", Error);
    view_.SendMetric(L"need_sp1", 1);
    view_.DisableInstallButton();
    view_.SetTimer(ServicePackNoticeTimer, kVersionNoticeDelayMs);
  } else {
    view_.SetTimer(IdleTimer, kIdlePeriodMs);
  }
}

void WindowModel::OnTimer(int id) {
  switch (id) {
    case PollTimer:
      PollOutcome();
      return;
    case IdleTimer:
      if (!userActed_) view_.SendMetric(L"no_action", 1);
      userActed_ = true;
      view_.KillTimer(IdleTimer);
      return;
    case VersionNoticeTimer:
    case ServicePackNoticeTimer:
    case CpuNoticeTimer:
      ShowNoticeAndClose(id);
      return;
    default:
      return;
  }
}

void WindowModel::ShowNoticeAndClose(int timerId) {
  view_.KillTimer(timerId);
  const Notice notice = timerId == CpuNoticeTimer       ? Notice::Cpu
                        : timerId == VersionNoticeTimer ? Notice::Version
                                                        : Notice::ServicePack;
  view_.ShowNotice(NoticeText(notice, russian_), MessageCaption(russian_));
  view_.EndDialog();
}

void WindowModel::PollOutcome() {
  const int32_t outcome = shared_->installOutcome.load();
  if (outcome == Running) return;
  view_.KillTimer(PollTimer);
  const OutcomeReport report = OutcomeReportFor(outcome, russian_);
  if (report.closeWindow) {
    view_.EndDialog();
    return;
  }
  view_.Log(report.journalLine, Error);
  ReportFailure(report.message);
}

void WindowModel::ReportFailure(const std::wstring& message) {
  view_.SendMetric(L"error", 1);
  shared_->installOutcome.exchange(Idle);
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
  view_.ShowWarning(message, MessageCaption(russian_));
}

void WindowModel::OnCloseButton() {
  if (!userActed_) view_.SendMetric(L"closed", 1);
  userActed_ = true;
  view_.KillTimer(IdleTimer);
  view_.EndDialog();
}

void WindowModel::OnInstallButton() {
  if (shared_->installOutcome.load() != Idle) return;
  view_.Log(L"User started install procedure.", Info);
  if (!view_.IsSameUserAsExplorer()) {
    view_.Log(L"Launched by another user than explorer.", Warning);
    view_.SendMetric(L"not_the_same_user", 1);
    if (!view_.AskYesNo(OtherUserQuestion(russian_), MessageCaption(russian_))) return;
  }
  if (!userActed_) view_.SendMetric(L"started", 1);
  userActed_ = true;
  view_.KillTimer(IdleTimer);
  shared_->progressPercent.store(0);
  ShowPercent();
  shared_->installOutcome.exchange(Running);
  ApplyStateVisibility();
  view_.Log(L"Starting installation procedure...", Info);
  // A worker that cannot start has stored a failure outcome; the poll timer reports it.
  (void)view_.StartWorker();
  view_.SetTimer(PollTimer, kPollPeriodMs);
  view_.Repaint();
}

void WindowModel::OnDownloadProgress(uint32_t received, uint32_t total) {
  if (auto p = DownloadPercent(received, total)) SetPercent(*p);
}

void WindowModel::OnSetupProgress(uint32_t done, uint32_t total) {
  if (auto p = SetupPercent(done, total)) SetPercent(*p);
}

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
