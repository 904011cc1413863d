// The client's command line: for any e-mail and token, and an install folder with or
// without blanks, splitting it by the rules of CommandLineToArgvW gives back exactly the
// path and the four hand-off arguments, or the path alone when a value cannot be handed
// over.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "base/wide_text.h"
#include "fuzz/argv_model.h"
#include "fuzz/fuzz_support.h"
#include "install/app_launcher.h"

using namespace cumulo;
using cumulo::fuzz::Require;

namespace {
// Install folders as users have them: a folder with a blank is common.
const std::wstring kInstallPaths[] = {
    L"C:\\Users\\Fuzz\\AppData\\Roaming\\Cumulo",
    L"C:\\Users\\Anna Maria\\AppData\\Roaming\\Cumulo",
};
// The path's two quotes, " -auth_email " and " -auth_token ", each value between two quotes.
constexpr size_t kShortestTail = 2 + 13 + 2 + 13 + 2;

bool Convertible(const std::string& bytes, std::wstring& wide) {
  return bytes.find('\0') == std::string::npos && WideFromUtf8(bytes, wide);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::wstring& installPath = input.PickValueInArray(kInstallPaths);
  AuthHandoff handoff;
  handoff.email = input.ConsumeRandomLengthString();
  handoff.auth = input.ConsumeRemainingBytesAsString();

  ClientCommand command;
  Require(BuildClientCommand(installPath, handoff, command), "a plain install path is usable");
  const std::wstring client = installPath + L"\\Cumulo.exe";
  Require(command.applicationName == client, "the client is Cumulo.exe in the install folder");
  Require(command.commandLine.size() < kClientCommandLineCapacity, "the line fits its buffer");

  std::wstring email, token;
  if (handoff.email.empty() || handoff.auth.empty()) {
    Require(command.token == TokenHandoff::NotFound, "a missing value is not found");
    Require(
        fuzz::SplitLikeCommandLineToArgvW(command.commandLine) == std::vector<std::wstring>{client},
        "nothing is handed over without both values");
    return 0;
  }
  if (!Convertible(handoff.email, email) || !Convertible(handoff.auth, token)) {
    Require(command.token == TokenHandoff::Invalid, "an unconvertible value is invalid");
    Require(
        fuzz::SplitLikeCommandLineToArgvW(command.commandLine) == std::vector<std::wstring>{client},
        "nothing is handed over with an invalid value");
    return 0;
  }
  Require(command.token == TokenHandoff::Valid, "two clean values are valid");
  if (fuzz::SplitLikeCommandLineToArgvW(command.commandLine) == std::vector<std::wstring>{client}) {
    Require(
        client.size() + email.size() + token.size() + kShortestTail >= kClientCommandLineCapacity,
        "the tail is dropped only when it cannot fit");
    return 0;
  }
  const std::vector<std::wstring> expected = {client, L"-auth_email", email, L"-auth_token", token};
  Require(fuzz::SplitLikeCommandLineToArgvW(command.commandLine) == expected,
          "the client gets back exactly its path, the e-mail and the token");
  return 0;
}
