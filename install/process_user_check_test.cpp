#include "install/process_user_check.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace cumulo {

namespace {

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorPartialCopy = 299;

// One process of the fake machine: what the image-path reading and the token answer.
struct FakeProcess {
  bool openable = true;
  ImagePathReading image;
  std::optional<UserSid> user;
};

const UserSid kAnna = "S-1-5-21-1-1001";
const UserSid kBoris = "S-1-5-21-1-1002";

FakeProcess Running(const std::wstring& path, const UserSid& user) {
  FakeProcess p;
  p.image = {true, path, 0};
  p.user = user;
  return p;
}

// A 32-bit installer (id 100) on 64-bit Windows 7: the other processes are 64-bit, so
// GetModuleFileNameExW from the installer answers each of them with ERROR_PARTIAL_COPY,
// while the full image path, which the probes read, answers for every bitness.
class FakeMachine : public ProcessTable {
 public:
  std::map<uint32_t, FakeProcess> processes;
  bool listable = true;
  std::vector<uint32_t> opened;

  FakeMachine() {
    processes[100] = Running(L"C:\\Users\\Anna\\Downloads\\CumuloInstaller.exe", kAnna);
  }

  bool ListIds(size_t capacity, std::vector<uint32_t>& ids, uint32_t& error) override {
    if (!listable) {
      error = kErrorAccessDenied;
      return false;
    }
    for (const auto& entry : processes) {
      if (ids.size() < capacity) ids.push_back(entry.first);
    }
    return true;
  }
  uint32_t CurrentProcessId() override { return 100; }
  std::unique_ptr<ProbedProcess> Open(uint32_t pid) override {
    opened.push_back(pid);
    const auto found = processes.find(pid);
    if (found == processes.end() || !found->second.openable) return nullptr;
    return std::make_unique<Opened>(found->second);
  }

 private:
  class Opened : public ProbedProcess {
   public:
    explicit Opened(const FakeProcess& p) : p_(p) {}
    ImagePathReading ImagePath() override { return p_.image; }
    std::optional<UserSid> TokenUser(const DiagnosticSink& sink) override {
      if (!p_.user) sink("Failed to get proc token, error: 5");
      return p_.user;
    }

   private:
    FakeProcess p_;
  };
};

struct Texts {
  std::vector<std::string> lines;
  DiagnosticSink Sink() {
    return [this](const std::string& t) { lines.push_back(t); };
  }
};

}  // namespace

TEST(ExplorerUserCheck, ExplorerOfOtherBitnessIsFoundThroughItsImagePath) {
  FakeMachine machine;
  machine.processes[4] = Running(L"C:\\Windows\\System32\\smss.exe", "S-1-5-18");
  machine.processes[2400] = Running(L"C:\\Windows\\explorer.exe", kAnna);
  Texts texts;
  EXPECT_TRUE(SameUserAsExplorer(machine, texts.Sink()));
  EXPECT_TRUE(texts.lines.empty());
}

TEST(ExplorerUserCheck, TheDesktopOfAnotherUserIsNotOurs) {
  FakeMachine machine;
  machine.processes[2400] = Running(L"C:\\Windows\\explorer.exe", kBoris);
  machine.processes[2500] = Running(L"C:\\Program Files\\Other\\notexplorer.exe", kAnna);
  Texts texts;
  // "explorer" is a substring rule: the second process counts, and it is Anna's.
  EXPECT_TRUE(SameUserAsExplorer(machine, texts.Sink()));
  machine.processes.erase(2500);
  EXPECT_FALSE(SameUserAsExplorer(machine, texts.Sink()));
}

TEST(ExplorerUserCheck, ProcessesThatCannotBeReadAreSkipped) {
  FakeMachine machine;
  machine.processes[8].openable = false;  // protected: not even limited rights
  FakeProcess vanished;                   // gone between the listing and the reading
  vanished.image = {false, L"", kErrorPartialCopy};
  vanished.user = kAnna;
  machine.processes[300] = vanished;
  FakeProcess tokenless = Running(L"C:\\Windows\\explorer.exe", kAnna);
  tokenless.user.reset();
  machine.processes[400] = tokenless;
  machine.processes[2400] = Running(L"C:\\Windows\\Explorer.EXE", kAnna);
  Texts texts;
  EXPECT_TRUE(SameUserAsExplorer(machine, texts.Sink()));
  EXPECT_EQ(texts.lines, (std::vector<std::string>{"Failed to get proc image name, error: 299",
                                                   "Failed to get proc token, error: 5"}));
}

TEST(ExplorerUserCheck, FailuresCountAsAnotherUser) {
  Texts texts;
  FakeMachine unlisted;
  unlisted.listable = false;
  unlisted.processes[2400] = Running(L"C:\\Windows\\explorer.exe", kAnna);
  EXPECT_FALSE(SameUserAsExplorer(unlisted, texts.Sink()));
  FakeMachine selfless;
  selfless.processes[100].user.reset();
  selfless.processes[2400] = Running(L"C:\\Windows\\explorer.exe", kAnna);
  EXPECT_FALSE(SameUserAsExplorer(selfless, texts.Sink()));
  EXPECT_EQ(texts.lines, (std::vector<std::string>{"Failed to enum procs, error: 5",
                                                   "Failed to get proc token, error: 5",
                                                   "Failed to get token for current process"}));
}

TEST(ExplorerUserCheck, AtMostTheFirst1024ProcessesAreExamined) {
  FakeMachine machine;
  for (uint32_t pid = 1; pid <= 1024; ++pid) {
    if (pid != machine.CurrentProcessId())
      machine.processes[pid] = Running(L"C:\\x\\svc.exe", kAnna);
  }
  machine.processes[5000] = Running(L"C:\\Windows\\explorer.exe", kAnna);  // the 1025th
  Texts texts;
  EXPECT_FALSE(SameUserAsExplorer(machine, texts.Sink()));
}

TEST(ClientUserCheck, SameUserAsProcessComparesTokenUsers) {
  FakeMachine machine;
  machine.processes[700] = Running(L"C:\\Users\\Anna\\AppData\\Local\\Cumulo\\Cumulo.exe", kAnna);
  machine.processes[800] = Running(L"C:\\Users\\Boris\\AppData\\Local\\Cumulo\\Cumulo.exe", kBoris);
  Texts texts;
  EXPECT_TRUE(SameUserAsProcess(machine, 700, texts.Sink()));
  EXPECT_FALSE(SameUserAsProcess(machine, 800, texts.Sink()));
  EXPECT_FALSE(SameUserAsProcess(machine, 0, texts.Sink()));
  EXPECT_FALSE(SameUserAsProcess(machine, 900, texts.Sink()));  // already gone
  EXPECT_EQ(texts.lines, (std::vector<std::string>{"Failed to get token for Cumulo process",
                                                   "Failed to get token for Cumulo process"}));
}

TEST(ImageName, FileNamePartOrTheReasonItIsMissing) {
  FakeMachine machine;
  machine.processes[2400] = Running(L"C:\\Windows\\explorer.exe", kAnna);
  FakeProcess unreadable;
  unreadable.image = {false, L"", kErrorPartialCopy};
  machine.processes[300] = unreadable;
  Texts texts;
  EXPECT_EQ(ImageNameOf(*machine.Open(2400), texts.Sink()), L"explorer.exe");
  EXPECT_EQ(ImageNameOf(*machine.Open(300), texts.Sink()), L"");
  EXPECT_EQ(texts.lines, std::vector<std::string>{"Failed to get proc image name, error: 299"});
}

}  // namespace cumulo
