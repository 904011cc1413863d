#pragma once
// The proxy login of the process: what the user typed into the system's prompt, kept for
// every later request (the download's next attempts and the telemetry), and the window
// that may own that prompt.
#include <mutex>
#include <optional>
#include <string>

namespace cumulo {

struct ProxyLogin {
  std::wstring user;
  std::wstring password;
};

class ProxyCredentials {
 public:
  [[nodiscard]] std::optional<ProxyLogin> Login() const;
  void SetLogin(ProxyLogin login);
  // The installer window while it exists (an HWND, opaque here); null otherwise.
  [[nodiscard]] void* PromptOwner() const;
  void SetPromptOwner(void* window);

 private:
  mutable std::mutex mutex_;
  std::optional<ProxyLogin> login_;
  void* owner_ = nullptr;
};

// The one store of the process; the window and the network code meet there.
ProxyCredentials& ProcessProxyCredentials();

// What a request does after the proxy answered 407.
enum class ProxyAuthStep {
  SendWithLogin,  // send again with the stored login
  Prompt,         // ask the user, then send again with what they typed
  GiveUp,         // the attempt ends as a network failure
};

// `loginKnown`: a login is stored; `loginTried`: this request has already been sent with
// it; `mayPrompt`: this request may still ask the user (the download, once per run).
[[nodiscard]] ProxyAuthStep NextProxyAuthStep(bool loginKnown, bool loginTried, bool mayPrompt);

}  // namespace cumulo
