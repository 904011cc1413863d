#include "net/download_attempts.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace cumulo {

namespace {
using Step = AttemptResult;

// Answers attempts from a script; once it is used up, every attempt is `rest`.
struct ScriptedAttempts {
  std::deque<Step> script;
  Step rest{DownloadCode::Retry, L""};
  std::vector<std::wstring> urls;

  DownloadAttempt Attempt() {
    return [this](const std::wstring& url) {
      urls.push_back(url);
      if (script.empty()) return rest;
      Step s = script.front();
      script.pop_front();
      return s;
    };
  }
};

const Step kRetry{DownloadCode::Retry, L""};
const Step kNoStatus{DownloadCode::NoStatus, L""};
const Step kDone{DownloadCode::Completed, L""};
Step To(const std::wstring& url) { return {DownloadCode::Redirect, url}; }
}  // namespace

TEST(DownloadAttempts, CountsAttemptsAndStopsWhereTheCodeSays) {
  const struct {
    const char* what;
    std::deque<Step> script;
    Step rest;
    DownloadCode result;
    size_t attempts;
  } cases[] = {
      {"transient failures use up five attempts", {}, kRetry, DownloadCode::Retry, 5},
      {"unreadable status keeps going", {}, kNoStatus, DownloadCode::NoStatus, 5},
      {"completion ends at once", {kRetry, kNoStatus, kDone}, kRetry, DownloadCode::Completed, 3},
      {"disk full stops at once",
       {{DownloadCode::DiskFull, L""}},
       kRetry,
       DownloadCode::DiskFull,
       1},
      {"access denied stops at once",
       {kRetry, {DownloadCode::AccessDenied, L""}},
       kRetry,
       DownloadCode::AccessDenied,
       2},
      {"disk error stops at once",
       {{DownloadCode::DiskError, L""}},
       kRetry,
       DownloadCode::DiskError,
       1},
      {"a redirect leaves four attempts for the new URL",
       {To(L"b")},
       kRetry,
       DownloadCode::Retry,
       5},
      {"redirect after failures restores the count",
       {kRetry, kRetry, kRetry, kRetry, To(L"b")},
       kRetry,
       DownloadCode::Retry,
       9},
      {"a redirected download completes",
       {To(L"b"), kRetry, kDone},
       kRetry,
       DownloadCode::Completed,
       3},
      {"unknown codes are transient",
       {{static_cast<DownloadCode>(0), L""}},
       kRetry,
       DownloadCode::Retry,
       5},
  };
  for (const auto& c : cases) {
    ScriptedAttempts s;
    s.script = c.script;
    s.rest = c.rest;
    EXPECT_EQ(RunDownloadAttempts(L"a", 5, s.Attempt()), c.result) << c.what;
    EXPECT_EQ(s.urls.size(), c.attempts) << c.what;
  }
}

TEST(DownloadAttempts, FollowsRedirectTargetsVerbatim) {
  ScriptedAttempts s;
  s.script = {To(L"/relative"), kRetry};
  EXPECT_EQ(RunDownloadAttempts(L"https://h/a", 5, s.Attempt()), DownloadCode::Retry);
  const std::vector<std::wstring> expected = {L"https://h/a", L"/relative", L"/relative",
                                              L"/relative", L"/relative"};
  EXPECT_EQ(s.urls, expected);
}

TEST(DownloadAttempts, EndlessRedirectsEndAfterTheBound) {
  ScriptedAttempts s;
  s.rest = To(L"https://h/loop");
  EXPECT_EQ(RunDownloadAttempts(L"https://h/a", 5, s.Attempt()), DownloadCode::Retry);
  EXPECT_EQ(s.urls.size(), kMaxRedirects + 1);
}

TEST(DownloadAttempts, TenRedirectsAreStillFollowed) {
  ScriptedAttempts s;
  for (uint32_t i = 0; i < kMaxRedirects; ++i) s.script.push_back(To(L"u" + std::to_wstring(i)));
  s.script.push_back(kDone);
  EXPECT_EQ(RunDownloadAttempts(L"a", 5, s.Attempt()), DownloadCode::Completed);
  EXPECT_EQ(s.urls.back(), L"u9");
}

TEST(DownloadAttempts, NoAttemptsMeansNotCompleted) {
  ScriptedAttempts s;
  EXPECT_EQ(RunDownloadAttempts(L"a", 0, s.Attempt()), DownloadCode::Retry);
  EXPECT_TRUE(s.urls.empty());
  s.rest = To(L"b");
  EXPECT_EQ(RunDownloadAttempts(L"a", 1, s.Attempt()), DownloadCode::Retry);
}

}  // namespace cumulo
