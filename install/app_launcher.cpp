#include "install/app_launcher.h"

#include <utility>

#include "base/wide_text.h"

namespace cumulo {

std::wstring QuoteClientArgument(const std::wstring& value) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : value) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted += c;
  }
  // Before the closing quote every backslash is doubled, so none of them escapes it.
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

namespace {

// A value that cannot travel on a command line: malformed UTF-8, or a NUL that would cut it.
bool ToArgumentText(const std::string& bytes, std::wstring& out) {
  if (bytes.find('\0') != std::string::npos) return false;
  return WideFromUtf8(bytes, out);
}

}  // namespace

bool BuildClientCommand(const std::wstring& installPath, const AuthHandoff& handoff,
                        ClientCommand& out) {
  ClientCommand command;
  command.applicationName = installPath + L"\\Cumulo.exe";
  command.currentDirectory = installPath;
  // Quoted like the hand-off values, so that a folder with spaces stays one argument.
  command.commandLine = QuoteClientArgument(command.applicationName);
  if (installPath.find(L'\0') != std::wstring::npos ||
      command.commandLine.size() >= kClientCommandLineCapacity) {
    return false;
  }
  if (handoff.email.empty() || handoff.auth.empty()) {
    command.token = TokenHandoff::NotFound;
  } else {
    std::wstring email;
    std::wstring token;
    if (!ToArgumentText(handoff.email, email) || !ToArgumentText(handoff.auth, token)) {
      command.token = TokenHandoff::Invalid;
    } else {
      const std::wstring tail = L" -auth_email " + QuoteClientArgument(email) + L" -auth_token " +
                                QuoteClientArgument(token);
      if (command.commandLine.size() + tail.size() < kClientCommandLineCapacity) {
        command.commandLine += tail;
      }
      command.token = TokenHandoff::Valid;
    }
  }
  out = std::move(command);
  return true;
}

AppLauncher::AppLauncher(std::shared_ptr<MetricSender> metricSender, LauncherPlatform& platform,
                         JournalWriter journal)
    : metricSender_(std::move(metricSender)), platform_(platform), journal_(std::move(journal)) {}

bool AppLauncher::LaunchClient(const AuthHandoff& handoff) {
  const InstallPathReading reading = platform_.ReadInstallPath();
  if (reading.status == InstallPathReading::Status::NoKey) {
    journal_(L"Starting Cumulo application failed: no Aldervane_Cumulo key", LogLevel::Error);
    metricSender_->SendMetric(L"err_cumulo_settings", static_cast<int32_t>(reading.error));
    return false;
  }
  ClientCommand command;
  if (reading.status != InstallPathReading::Status::Found ||
      !BuildClientCommand(reading.path, handoff, command)) {
    journal_(L"Starting Cumulo application failed: no InstallPath", LogLevel::Error);
    metricSender_->SendMetric(L"err_cumulo_ins_path", static_cast<int32_t>(reading.error));
    return false;
  }
  switch (command.token) {
    case TokenHandoff::NotFound:
      metricSender_->SendMetric(L"not_found_token", 1);
      break;
    case TokenHandoff::Invalid:
      metricSender_->SendMetric(L"found_invalid_tok", 1);
      break;
    case TokenHandoff::Valid:
      metricSender_->SendMetric(L"found_valid_tok", 1);
      break;
  }
  uint32_t error = 0;
  if (!platform_.StartClient(command, error)) {
    journal_(L"Starting Cumulo application failed: " + UnsignedDecimalW(error), LogLevel::Error);
    metricSender_->SendMetric(L"err_cumulo_start", static_cast<int32_t>(error));
    return false;
  }
  return WatchClientStart();
}

bool AppLauncher::WatchClientStart() {
  if (!platform_.IsClientRunning()) {
    uint32_t budget = kClientAppearBudgetMs;
    for (;;) {
      platform_.Sleep(kClientPollPauseMs);
      budget -= kClientPollPauseMs;
      if (budget == 0) {
        metricSender_->SendMetric(L"err_cumulo_not_run", 1);
        break;
      }
      if (platform_.IsClientRunning()) break;
    }
  }
  platform_.Sleep(kClientSettleMs);
  if (platform_.IsClientRunning()) return true;
  journal_(L"Starting Cumulo application failed: crash", LogLevel::Error);
  metricSender_->SendMetric(L"err_cumulo_crashed", 1);
  return false;
}

}  // namespace cumulo
