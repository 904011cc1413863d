#pragma once
// Starts the installed client from the folder the setup package recorded, hands it the
// user's e-mail and token, and watches for a few seconds that it really runs.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "install/auth_handoff.h"
#include "install/journal_writer.h"
#include "net/metric_sender.h"

namespace cumulo {

// The command line's buffer in characters, terminator included.
constexpr size_t kClientCommandLineCapacity = 32768;

// One argument quoted so that CommandLineToArgvW and the C runtime give it back unchanged:
// backslashes before a quote are doubled and the quote escaped. A value without quotes or
// trailing backslashes comes out as the value between two double quotes.
std::wstring QuoteClientArgument(const std::wstring& value);

enum class TokenHandoff { NotFound, Invalid, Valid };

struct ClientCommand {
  std::wstring applicationName;   // the client's full path
  std::wstring commandLine;       // the path quoted, then the hand-off tail when it fits
  std::wstring currentDirectory;  // the install folder: the client starts in its own folder
  TokenHandoff token = TokenHandoff::NotFound;
};

// False when the install folder cannot name the client inside the command-line buffer.
[[nodiscard]] bool BuildClientCommand(const std::wstring& installPath, const AuthHandoff& handoff,
                                      ClientCommand& out);

struct InstallPathReading {
  enum class Status { NoKey, NoValue, Found };
  Status status = Status::NoKey;
  std::wstring path;  // environment references already expanded for REG_EXPAND_SZ
  // The failing call's status (the registry's LSTATUS, or the expansion's last error).
  uint32_t error = 0;
};

// What the launcher needs from the machine; tests give a fake.
class LauncherPlatform {
 public:
  virtual ~LauncherPlatform() = default;
  virtual InstallPathReading ReadInstallPath() = 0;
  virtual bool StartClient(const ClientCommand& command, uint32_t& error) = 0;
  virtual bool IsClientRunning() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// The registry, CreateProcessW, the process probe and Sleep (Windows only).
std::unique_ptr<LauncherPlatform> MakeSystemLauncherPlatform();

constexpr uint32_t kClientPollPauseMs = 250;
constexpr uint32_t kClientAppearBudgetMs = 4000;
constexpr uint32_t kClientSettleMs = 1000;

class AppLauncher {
 public:
  AppLauncher(std::shared_ptr<MetricSender> metricSender, LauncherPlatform& platform,
              JournalWriter journal = WriteToProcessJournal);
  // True when a client process was seen running at the end of the watch.
  [[nodiscard]] bool LaunchClient(const AuthHandoff& handoff);

 private:
  [[nodiscard]] bool WatchClientStart();

  std::shared_ptr<MetricSender> metricSender_;
  LauncherPlatform& platform_;
  JournalWriter journal_;
};

}  // namespace cumulo
