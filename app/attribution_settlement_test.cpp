#include "app/attribution_settlement.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/wide_text.h"

namespace cumulo {

namespace {

// Records every operation as text, in order.
struct FakeStart {
  std::wstring storedUtm;
  LaunchParams params;
  std::vector<std::wstring> calls;

  AttributionOps Ops() {
    AttributionOps ops;
    ops.readUtm = [this] { calls.push_back(L"readUtm"); return storedUtm; };
    ops.parseLaunchParams = [this] { calls.push_back(L"parse"); return params; };
    ops.setUtm = [this](const std::wstring& u) { calls.push_back(L"setUtm " + u); };
    ops.writeUtm = [this](const std::wstring& u) { calls.push_back(L"writeUtm " + u); };
    ops.deleteUtm = [this] { calls.push_back(L"deleteUtm"); };
    ops.writeValue = [this](const std::wstring& n, const std::wstring& v) {
      calls.push_back(L"write " + n + L"=" + v);
    };
    ops.toWide = [](const std::string& s) { return WidenAscii(s.substr(0, s.find('\0'))); };
    return ops;
  }
};

TEST(SettleAttribution, Table) {
  struct Case {
    const char* name;
    std::wstring storedUtm;
    LaunchParams params;
    std::vector<std::wstring> calls;
    std::string email, auth;
  };
  const Case cases[] = {
      {"stored utm wins; the container is not read",
       L"stored",
       {{"utm", "x"}, {"email", "e"}, {"auth", "a"}, {"intro", "i"}},
       {L"readUtm", L"setUtm stored"},
       "",
       ""},
      {"full container",
       L"",
       {{"utm", "spring sale"}, {"email", "u@x.ru"}, {"auth", "tok"}, {"intro", "first page"}, {"gclid", "g1"}},
       {L"readUtm", L"parse", L"setUtm spring sale", L"writeUtm spring sale",
        L"write installer_intro=first page", L"write gclid_cookie=g1"},
       "u@x.ru",
       "tok"},
      {"no utm deletes the stored one; e-mail without token hands over nothing",
       L"",
       {{"email", "u@x.ru"}},
       {L"readUtm", L"parse", L"deleteUtm"},
       "",
       ""},
      {"token without e-mail", L"", {{"auth", "tok"}, {"utm", ""}}, {L"readUtm", L"parse", L"deleteUtm"}, "", ""},
      {"empty intro and gclid are not written",
       L"",
       {{"utm", "u"}, {"intro", ""}, {"gclid", ""}},
       {L"readUtm", L"parse", L"setUtm u", L"writeUtm u"},
       "",
       ""},
      {"an encoded zero byte cuts the converted value",
       L"",
       {{"utm", std::string("ab\0cd", 5)}, {"intro", std::string("\0x", 2)}},
       {L"readUtm", L"parse", L"setUtm ab", L"writeUtm ab", L"write installer_intro="},
       "",
       ""},
      {"keys are case-sensitive", L"", {{"UTM", "x"}, {"Email", "e"}, {"auth", "a"}}, {L"readUtm", L"parse", L"deleteUtm"}, "", ""},
  };
  for (const auto& c : cases) {
    FakeStart fake;
    fake.storedUtm = c.storedUtm;
    fake.params = c.params;
    const AuthHandoff handoff = SettleAttribution(fake.Ops());
    EXPECT_EQ(fake.calls, c.calls) << c.name;
    EXPECT_EQ(handoff.email, c.email) << c.name;
    EXPECT_EQ(handoff.auth, c.auth) << c.name;
  }
}

}  // namespace

}  // namespace cumulo
