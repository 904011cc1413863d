#include "app/attribution_settlement.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/wide_text.h"

namespace cumulo {

namespace {

// A stand-in for a Cyrillic ANSI code page: 0xE0 to 0xFF are the lower-case letters
// (as in 1251), every other byte is its Latin-1 character.
std::wstring FakeCyrillicCodePage(const std::string& bytes) {
  std::wstring out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += b >= 0xE0 ? static_cast<wchar_t>(0x0430 + (b - 0xE0)) : static_cast<wchar_t>(b);
  }
  return out;
}

const char kSpringUtf8[] = "\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB0";  // "весна"
const char kSpring1251[] = "\xE2\xE5\xF1\xED\xE0";

// Records every operation as text, in order.
struct FakeStart {
  std::wstring storedUtm;
  LaunchParams params;
  std::vector<std::wstring> calls;

  AttributionOps Ops() {
    AttributionOps ops;
    ops.readUtm = [this] { calls.push_back(L"readUtm"); return storedUtm; };
    ops.parseLaunchParams = [this](bool report) {
      calls.push_back(report ? L"parse" : L"parse silent");
      return params;
    };
    ops.setUtm = [this](const std::wstring& u) { calls.push_back(L"setUtm " + u); };
    ops.writeUtm = [this](const std::wstring& u) { calls.push_back(L"writeUtm " + u); };
    ops.deleteUtm = [this] { calls.push_back(L"deleteUtm"); };
    ops.writeValue = [this](const std::wstring& n, const std::wstring& v) {
      calls.push_back(L"write " + n + L"=" + v);
    };
    ops.fromCodePage = &FakeCyrillicCodePage;
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
      // A returning user: the stored utm keeps the attribution, the page's hand-off still
      // reaches the client; nothing else of the container is stored or reported.
      {"stored utm wins for attribution; the hand-off comes from the page",
       L"\u0432\u0435\u0441\u043d\u0430",
       {{"utm", "summer_2027"}, {"email", "e@x.ru"}, {"auth", "a"}, {"intro", "i"}, {"gclid", "g"}},
       {L"readUtm", L"setUtm \u0432\u0435\u0441\u043d\u0430", L"parse silent"},
       "e@x.ru",
       "a"},
      {"stored utm and a container with only the e-mail",
       L"stored",
       {{"email", "e@x.ru"}},
       {L"readUtm", L"setUtm stored", L"parse silent"},
       "",
       ""},
      {"stored utm and no container", L"stored", {}, {L"readUtm", L"setUtm stored", L"parse silent"}, "", ""},
      {"utf-8 utm, intro and gclid are stored as their text",
       L"",
       {{"utm", kSpringUtf8}, {"intro", kSpringUtf8}, {"gclid", "\xE2\x82\xAC"}},
       {L"readUtm", L"parse", L"setUtm \u0432\u0435\u0441\u043d\u0430",
        L"writeUtm \u0432\u0435\u0441\u043d\u0430",
        L"write installer_intro=\u0432\u0435\u0441\u043d\u0430", L"write gclid_cookie=\u20ac"},
       "",
       ""},
      {"single-byte text falls back to the code page",
       L"",
       {{"utm", kSpring1251}, {"intro", "caf\xE9"}},
       {L"readUtm", L"parse", L"setUtm \u0432\u0435\u0441\u043d\u0430",
        L"writeUtm \u0432\u0435\u0441\u043d\u0430", L"write installer_intro=caf\u0439"},
       "",
       ""},
      {"the e-mail goes on as utf-8 either way; the token as it came",
       L"",
       {{"email", std::string(kSpring1251) + "@x.ru"}, {"auth", "t\xFF"}},
       {L"readUtm", L"parse", L"deleteUtm"},
       std::string(kSpringUtf8) + "@x.ru",
       "t\xFF"},
      {"a utf-8 e-mail stays as it is",
       L"",
       {{"email", std::string(kSpringUtf8) + "@x.ru"}, {"auth", "t"}},
       {L"readUtm", L"parse", L"deleteUtm"},
       std::string(kSpringUtf8) + "@x.ru",
       "t"},
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
