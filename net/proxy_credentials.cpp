#include "net/proxy_credentials.h"

namespace cumulo {

std::optional<ProxyLogin> ProxyCredentials::Login() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return login_;
}

void ProxyCredentials::SetLogin(ProxyLogin login) {
  std::lock_guard<std::mutex> lock(mutex_);
  login_ = std::move(login);
}

void* ProxyCredentials::PromptOwner() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return owner_;
}

void ProxyCredentials::SetPromptOwner(void* window) {
  std::lock_guard<std::mutex> lock(mutex_);
  owner_ = window;
}

ProxyCredentials& ProcessProxyCredentials() {
  static ProxyCredentials credentials;
  return credentials;
}

ProxyAuthStep NextProxyAuthStep(bool loginKnown, bool loginTried, bool mayPrompt) {
  if (loginKnown && !loginTried) return ProxyAuthStep::SendWithLogin;
  // A login that was just refused is asked for again only if this run has not asked yet.
  if (mayPrompt) return ProxyAuthStep::Prompt;
  return ProxyAuthStep::GiveUp;
}

}  // namespace cumulo
