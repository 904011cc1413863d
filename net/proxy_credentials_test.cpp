#include "net/proxy_credentials.h"

#include <gtest/gtest.h>

#include <thread>

namespace cumulo {
namespace {

TEST(ProxyAuthStepTest, StoredLoginFirstThenOnePromptThenNetworkFailure) {
  struct Case {
    bool known, tried, mayPrompt;
    ProxyAuthStep step;
  };
  const Case cases[] = {
      {false, false, true, ProxyAuthStep::Prompt},         // first 407 of the run
      {false, false, false, ProxyAuthStep::GiveUp},        // telemetry, or the run has asked
      {true, false, false, ProxyAuthStep::SendWithLogin},  // telemetry once the user typed it
      {true, false, true, ProxyAuthStep::SendWithLogin},   // a later attempt: no new prompt
      {true, true, true, ProxyAuthStep::Prompt},           // a stored login the proxy refuses
      {true, true, false, ProxyAuthStep::GiveUp},          // the typed login refused: no loop
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextProxyAuthStep(c.known, c.tried, c.mayPrompt), c.step)
        << c.known << c.tried << c.mayPrompt;
  }
}

TEST(ProxyCredentialsTest, LoginSetOnOneThreadIsSeenOnAnother) {
  ProxyCredentials credentials;
  EXPECT_FALSE(credentials.Login());
  std::thread writer([&] { credentials.SetLogin({L"user", L"p\u00e4ss"}); });
  writer.join();
  const auto login = credentials.Login();
  ASSERT_TRUE(login);
  EXPECT_EQ(login->user, L"user");
  EXPECT_EQ(login->password, L"p\u00e4ss");
  int window = 0;
  credentials.SetPromptOwner(&window);
  EXPECT_EQ(credentials.PromptOwner(), &window);
  credentials.SetPromptOwner(nullptr);
  EXPECT_EQ(credentials.PromptOwner(), nullptr);
}

}  // namespace
}  // namespace cumulo
