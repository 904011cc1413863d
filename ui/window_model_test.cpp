#include "ui/window_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/journal.h"
#include "ui/failure_texts.h"
#include "ui/ui_texts.h"

namespace cumulo {

namespace {

// Records every request of the model as one line, in order.
class RecordingView : public WindowView {
 public:
  std::vector<std::wstring> calls;
  bool sameUser = true;
  bool answerYes = false;
  bool chooseJournal = false;
  bool workerStarts = true;

  void SendMetric(const std::wstring& name, int32_t value) override {
    calls.push_back(L"metric " + name + L":" + std::to_wstring(value));
  }
  void Log(const std::wstring& line, LogLevel level) override {
    calls.push_back(std::wstring(L"log ") + L"IEW"[static_cast<int>(level)] + L" " + line);
  }
  void StartTimer(WindowTimer id, uint32_t ms) override {
    calls.push_back(L"set " + std::to_wstring(static_cast<int>(id)) + L" " + std::to_wstring(ms));
  }
  void StopTimer(WindowTimer id) override {
    calls.push_back(L"kill " + std::to_wstring(static_cast<int>(id)));
  }
  void DisableInstallButton() override { calls.push_back(L"disable"); }
  void ApplyVisibility(const Visibility& v) override {
    calls.push_back(v[static_cast<int>(Control::InstallButton)] ? L"show idle" : L"show running");
  }
  void ShowProgress(int32_t percent, const std::wstring& label) override {
    calls.push_back(L"progress " + std::to_wstring(percent) + L" " + label);
  }
  void Repaint() override { calls.push_back(L"repaint"); }
  void CloseWindow(WindowEnd end) override {
    calls.push_back(end == WindowEnd::Installed                   ? L"end installed"
                    : end == WindowEnd::InstalledClientNotStarted ? L"end installed, no client"
                    : end == WindowEnd::Closed                    ? L"end closed"
                                                                  : L"end refused");
  }
  void ShowNotice(const std::wstring& text, const std::wstring& caption) override {
    calls.push_back(L"notice " + caption + L" " + text);
  }
  void ShowWarning(const std::wstring& text, const std::wstring& caption) override {
    calls.push_back(L"warning " + caption + L" " + text);
  }
  bool AskYesNo(const std::wstring&, const std::wstring& caption) override {
    calls.push_back(L"ask " + caption);
    return answerYes;
  }
  bool RunSetupErrorDialog() override {
    calls.push_back(L"error dialog");
    return chooseJournal;
  }
  void OpenInShell(const std::wstring& path) override { calls.push_back(L"open " + path); }
  void RemoveFile(const std::wstring& path) override { calls.push_back(L"delete " + path); }
  bool IsSameUserAsExplorer() override { return sameUser; }
  bool StartWorker() override {
    calls.push_back(L"worker");
    return workerStarts;
  }

  // The calls that start with `prefix`, in order.
  std::vector<std::wstring> Only(const std::wstring& prefix) const {
    std::vector<std::wstring> out;
    for (const auto& c : calls) {
      if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    }
    return out;
  }
  size_t Count(const std::wstring& call) const {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
  }
  void Clear() { calls.clear(); }
};

InstallResult ResultOf(InstallOutcome outcome, std::wstring log = L"", bool client = true) {
  InstallResult r;
  r.outcome = outcome;
  r.failedSetupLogPath = std::move(log);
  r.clientStarted = client;
  return r;
}

struct WindowModelTest : ::testing::Test {
  RecordingView view;
  WindowModel model{view, Language::English};

  void Open() {
    model.OnOpened({});
    view.Clear();
  }
  void PressInstall() { model.OnInstallButton(); }
};

using Calls = std::vector<std::wstring>;

TEST_F(WindowModelTest, OpeningShowsTheReadyStateSendsFirstAndStartsTheIdleTimer) {
  model.OnOpened({});
  EXPECT_EQ(model.State(), InstallOutcome::Idle);
  EXPECT_EQ(model.Percent(), 0);
  EXPECT_EQ(view.calls, (Calls{L"show idle", L"repaint", L"progress 0 0 %", L"metric first:1",
                               L"set 2 300000"}));
}

TEST_F(WindowModelTest, SystemChecksTheFirstFailingOneWins) {
  struct Case {
    SystemFacts facts;
    Calls tail;
  } cases[] = {
      {{false, false, false},
       {L"log E Non-compatible CPU architecture.", L"metric unsupported_arch:1", L"disable",
        L"set 5 0"}},
      {{true, false, false},
       {L"log E Windows 7 is a minimal version supported.", L"metric need_win_7:1", L"disable",
        L"set 3 1000"}},
      {{true, true, false},
       {L"log E Windows 7 SP 1 required.", L"metric need_sp1:1", L"disable", L"set 4 1000"}},
  };
  for (const auto& c : cases) {
    RecordingView v;
    WindowModel m(v, Language::English);
    m.OnOpened(c.facts);
    const Calls tail(v.calls.end() - 4, v.calls.end());
    EXPECT_EQ(tail, c.tail);
    EXPECT_EQ(v.Count(L"metric first:1"), 1u);
  }
}

TEST_F(WindowModelTest, NoticeTimersShowTheirNoticeWithoutIconAndClose) {
  struct Case {
    WindowTimer timer;
    Notice notice;
    Language language;
  } cases[] = {{WindowTimer::CpuNoticeTimer, Notice::Cpu, Language::English},
               {WindowTimer::VersionNoticeTimer, Notice::Version, Language::Russian},
               {WindowTimer::ServicePackNoticeTimer, Notice::ServicePack, Language::English}};
  for (const auto& c : cases) {
    RecordingView v;
    WindowModel m(v, c.language);
    m.OnTimer(c.timer);
    EXPECT_EQ(v.calls, (Calls{L"kill " + std::to_wstring(static_cast<int>(c.timer)),
                              std::wstring(L"notice ") + MessageCaption(c.language) + L" " +
                                  NoticeText(c.notice, c.language),
                              L"end refused"}));
    EXPECT_EQ(v.Only(L"metric").size(), 0u);  // no "error" for a notice
  }
}

TEST_F(WindowModelTest, CloseBeforeAnyActionSendsClosed) {
  Open();
  model.OnCloseButton();
  EXPECT_EQ(view.calls, (Calls{L"metric closed:1", L"kill 2", L"end closed"}));
}

TEST_F(WindowModelTest, IdleTimerSendsNoActionOnceAndLaterActionsSendNothing) {
  Open();
  model.OnTimer(WindowTimer::IdleTimer);
  model.OnTimer(WindowTimer::IdleTimer);
  PressInstall();
  model.OnCloseButton();
  EXPECT_EQ(view.Only(L"metric"), (Calls{L"metric no_action:1"}));
  EXPECT_TRUE(model.UserActed());
}

TEST_F(WindowModelTest, CloseAfterInstallSendsNothing) {
  Open();
  PressInstall();
  model.OnCloseButton();
  EXPECT_EQ(view.Only(L"metric"), (Calls{L"metric started:1"}));
  EXPECT_EQ(view.calls.back(), L"end closed");
}

TEST_F(WindowModelTest, InstallStartsTheWorkerInOrder) {
  Open();
  PressInstall();
  EXPECT_EQ(view.calls,
            (Calls{L"log I User started install procedure.", L"metric started:1", L"kill 2",
                   L"progress 0 0 %", L"show running", L"repaint",
                   L"log I Starting installation procedure...", L"worker", L"repaint"}));
  EXPECT_EQ(model.State(), InstallOutcome::Running);
}

TEST_F(WindowModelTest, InstallIsIgnoredUnlessIdle) {
  Open();
  PressInstall();
  view.Clear();
  PressInstall();  // running
  EXPECT_TRUE(view.calls.empty());
  model.OnInstallFinished(ResultOf(InstallOutcome::Succeeded));
  view.Clear();
  PressInstall();  // a click that was queued behind the window's end
  EXPECT_TRUE(view.calls.empty());
  EXPECT_EQ(model.State(), InstallOutcome::Succeeded);
}

TEST_F(WindowModelTest, OtherUserAnsweredNoChangesNothingAndAsksAgain) {
  Open();
  view.sameUser = false;
  PressInstall();
  PressInstall();
  EXPECT_EQ(view.calls,
            (Calls{L"log I User started install procedure.",
                   L"log W Launched by another user than explorer.", L"metric not_the_same_user:1",
                   L"ask Cumulo:", L"log I User started install procedure.",
                   L"log W Launched by another user than explorer.", L"metric not_the_same_user:1",
                   L"ask Cumulo:"}));
  EXPECT_EQ(model.State(), InstallOutcome::Idle);
  EXPECT_FALSE(model.UserActed());
}

TEST_F(WindowModelTest, OtherUserAnsweredYesInstalls) {
  Open();
  view.sameUser = false;
  view.answerYes = true;
  PressInstall();
  EXPECT_EQ(view.Count(L"worker"), 1u);
  EXPECT_EQ(view.Count(L"metric started:1"), 1u);
}

TEST_F(WindowModelTest, AWorkerThatCannotStartIsReportedAsAnyResult) {
  Open();
  view.workerStarts = false;
  PressInstall();
  model.OnInstallFinished(ResultOf(InstallOutcome::DownloadFailed));  // what the start reports
  EXPECT_EQ(view.Count(L"log E Unknown error occuried."), 1u);
  EXPECT_EQ(model.State(), InstallOutcome::Idle);
}

TEST_F(WindowModelTest, ANewRunNeverOffersTheLastRunsLog) {
  Open();
  PressInstall();
  view.chooseJournal = true;  // the last run's log is kept with "Journal"
  model.OnInstallFinished(ResultOf(InstallOutcome::SetupFailed, L"C:\\t\\Cumulo-kept.log"));
  view.workerStarts = false;
  view.Clear();
  PressInstall();
  model.OnInstallFinished(ResultOf(InstallOutcome::DownloadFailed));
  // The unexpected error as a warning; the kept log is neither offered nor deleted.
  EXPECT_EQ(view.Only(L"warning").size(), 1u);
  EXPECT_EQ(view.Count(L"error dialog"), 0u);
  EXPECT_EQ(view.Only(L"delete"), Calls{});
  EXPECT_EQ(view.Only(L"open"), Calls{});
}

TEST_F(WindowModelTest, AResultWhileIdleIsIgnored) {
  Open();
  model.OnInstallFinished(ResultOf(InstallOutcome::SetupFailed, L"C:\\t\\Cumulo-x.log"));
  EXPECT_TRUE(view.calls.empty());
}

TEST_F(WindowModelTest, AGoneWindowDeletesTheLogOfAResultItNeverTook) {
  struct Case {
    std::optional<InstallResult> untaken;
    Calls deletes;
  } cases[] = {
      {ResultOf(InstallOutcome::SetupFailed, L"C:\\t\\Cumulo-x.log"),
       {L"delete C:\\t\\Cumulo-x.log"}},
      {std::nullopt, {}},  // none: the job deletes it when its setup fails later
      {ResultOf(InstallOutcome::Succeeded), {}},
      {ResultOf(InstallOutcome::DownloadFailed, L"C:\\t\\Cumulo-x.log"),
       {}},  // not a log to settle
  };
  for (const auto& c : cases) {
    RecordingView v;
    WindowModel m(v, Language::English);
    m.OnWindowGone(c.untaken);
    EXPECT_EQ(v.Only(L"delete"), c.deletes);
  }
}

TEST_F(WindowModelTest, SuccessClosesTheWindow) {
  for (bool client : {true, false}) {
    RecordingView v;
    WindowModel m(v, Language::English);
    m.OnOpened({});
    m.OnInstallButton();
    v.Clear();
    m.OnInstallFinished(ResultOf(InstallOutcome::Succeeded, L"", client));
    EXPECT_EQ(v.calls, (Calls{client ? L"end installed" : L"end installed, no client"}));
  }
}

TEST_F(WindowModelTest, FailureIsReportedInOrderAndASecondRunSendsNoStarted) {
  Open();
  PressInstall();
  model.OnDownloadProgress(740, 1000);  // the bar at 37 %
  view.Clear();
  model.OnInstallFinished(ResultOf(InstallOutcome::NoDiskSpace));
  const OutcomeReport r = OutcomeReportFor(InstallOutcome::NoDiskSpace, Language::English);
  EXPECT_EQ(view.calls, (Calls{L"log E Not enough disk space.", L"metric error:1", L"show idle",
                               L"repaint", L"progress 0 0 %", L"warning Cumulo: " + r.message}));
  EXPECT_EQ(model.State(), InstallOutcome::Idle);
  EXPECT_EQ(model.Percent(), 0);
  view.Clear();
  PressInstall();
  EXPECT_EQ(view.Only(L"metric"), Calls{});
  EXPECT_EQ(view.Count(L"worker"), 1u);
}

TEST_F(WindowModelTest, FailedSetupOffersTheLogInsteadOfTheMessage) {
  for (bool journal : {true, false}) {
    RecordingView v;
    WindowModel m(v, Language::Russian);
    m.OnOpened({});
    m.OnInstallButton();
    v.chooseJournal = journal;
    v.Clear();
    const std::wstring log = L"C:\\t\\Cumulo-x.log";
    m.OnInstallFinished(ResultOf(InstallOutcome::SetupFailed, log));
    EXPECT_EQ(v.Only(L"log"), Calls{L"log E Offline Cumulo Installer failed."});
    EXPECT_EQ(v.Only(L"warning").size(), 0u);
    EXPECT_EQ(v.calls.back(), (journal ? L"open " : L"delete ") + log);
    EXPECT_EQ(v.calls[v.calls.size() - 2], L"error dialog");
  }
}

TEST_F(WindowModelTest, DownloadProgressMapsOntoTheFirstHalf) {
  Open();
  struct Step {
    uint32_t received, total;
    int32_t shown;
    bool repaint;
  } steps[] = {
      {0, 1000, 0, false},     // same as the initial 0: nothing to do
      {999, 1000, 49, true},   // 99, halved with the remainder dropped
      {999, 1000, 49, false},  // the same percentage again: no repaint
      {1000, 1000, 50, true},       {3000, 1000, 100, true},  // past the total, capped at 100
      {4000, 1000, 100, false},     {5, 0, 100, false},       // a zero total is ignored
      {0xFFFFFFFFu, 1, 100, false},
  };
  for (const auto& s : steps) {
    view.Clear();
    model.OnDownloadProgress(s.received, s.total);
    EXPECT_EQ(model.Percent(), s.shown) << s.received << "/" << s.total;
    EXPECT_EQ(!view.calls.empty(), s.repaint) << s.received << "/" << s.total;
  }
  view.Clear();
  model.OnDownloadProgress(1200, 1000);
  // Only the bar and its label are drawn again.
  EXPECT_EQ(view.calls, (Calls{L"progress 60 60 %"}));
}

TEST_F(WindowModelTest, TheWindowsEndLeavesTheVisibilityAlone) {
  Open();
  PressInstall();
  model.OnInstallFinished(ResultOf(InstallOutcome::Succeeded));
  view.Clear();
  model.ApplyStateVisibility();
  EXPECT_EQ(view.calls, Calls{L"repaint"});
}

TEST_F(WindowModelTest, EnterPressesTheFocusedControlAsAClickDoes) {
  // Install: the same calls as a click.
  Open();
  PressInstall();
  const Calls clicked = view.calls;
  RecordingView keyView;
  WindowModel keyModel{keyView, Language::English};
  keyModel.OnOpened({});
  keyView.Clear();
  keyModel.OnEnterKey(Control::InstallButton);
  EXPECT_EQ(keyView.calls, clicked);

  // Close: "closed" and the end, as the close button.
  view.Clear();
  WindowModel closing{view, Language::English};
  closing.OnEnterKey(Control::CloseButton);
  EXPECT_EQ(view.calls, (Calls{L"metric closed:1", L"kill 2", L"end closed"}));

  // The link: its page in the interface language, nothing else.
  for (Language language : {Language::English, Language::Russian}) {
    view.Clear();
    WindowModel linking{view, language};
    linking.OnEnterKey(Control::TermsLink);
    EXPECT_EQ(view.calls, (Calls{L"open " + WindowTextsFor(language).linkAddress}));
    EXPECT_FALSE(linking.UserActed());
  }
}

TEST_F(WindowModelTest, EnterWithoutAUsableFocusedControlDoesNothing) {
  Open();
  for (std::optional<Control> focused :
       {std::optional<Control>(), std::optional<Control>(Control::Title),
        std::optional<Control>(Control::Agreement), std::optional<Control>(Control::ProgressBar),
        std::optional<Control>(Control::PercentLabel)}) {
    model.OnEnterKey(focused);
  }
  EXPECT_TRUE(view.calls.empty());
  // While an installation runs, Enter on Install changes nothing.
  PressInstall();
  view.Clear();
  model.OnEnterKey(Control::InstallButton);
  EXPECT_TRUE(view.calls.empty());
  EXPECT_EQ(model.State(), InstallOutcome::Running);
}

TEST_F(WindowModelTest, EscapeIsTheCloseButtonsRoad) {
  Open();
  model.OnEscapeKey();
  EXPECT_EQ(view.calls, (Calls{L"metric closed:1", L"kill 2", L"end closed"}));
  // During an installation it closes without telemetry and leaves the worker alone.
  view.Clear();
  WindowModel running{view, Language::English};
  running.OnOpened({});
  running.OnInstallButton();
  view.Clear();
  running.OnEscapeKey();
  EXPECT_EQ(view.calls, (Calls{L"kill 2", L"end closed"}));
  EXPECT_EQ(running.State(), InstallOutcome::Running);
}

}  // namespace

}  // namespace cumulo
