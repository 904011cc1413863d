#include "app/attribution_settlement.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/wide_text.h"
#include "common/fake_product_key.h"
#include "common/recording_transport.h"

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

// The product key's value calls and the container's reads, as text in order, and the
// tag that a request sent after settling carries.
struct FakeStart {
  FakeProductKey key;
  LaunchParams params;

  std::vector<std::wstring> Calls() const {
    std::vector<std::wstring> out;
    for (const auto& call : key.calls) {
      if (call.rfind(L"create ", 0) != 0 && call != L"close") out.push_back(call);
    }
    return out;
  }

  AuthHandoff Settle(std::wstring& tag) {
    MetricRecorder recorder;
    auto sender = recorder.MakeSender();
    const AuthHandoff handoff = SettleAttribution(
        key, sender,
        [this](std::shared_ptr<MetricSender> reporter) {
          key.calls.push_back(reporter ? L"parse" : L"parse silent");
          return params;
        },
        &FakeCyrillicCodePage);
    sender->SendMetric(L"probe", 1);
    sender.reset();
    const std::wstring url = recorder.Requests().back().url;
    const size_t at = url.find(L"&utm=");
    tag = at == std::wstring::npos ? L"" : url.substr(at + 5, url.find(L"&t=") - at - 5);
    return handoff;
  }
};

TEST(SettleAttribution, Table) {
  struct Case {
    const char* name;
    std::wstring storedUtm;
    LaunchParams params;
    std::vector<std::wstring> calls;
    std::wstring tag;  // percent-encoded, as the requests carry it
    std::string email, auth;
  };
  const Case cases[] = {
      // A returning user: the stored utm keeps the attribution, the page's hand-off still
      // reaches the client; nothing else of the container is stored or reported.
      {"stored utm wins for attribution; the hand-off comes from the page",
       L"\u0432\u0435\u0441\u043d\u0430",
       {{"utm", "summer_2027"}, {"email", "e@x.ru"}, {"auth", "a"}, {"intro", "i"}, {"gclid", "g"}},
       {L"read utm", L"parse silent"},
       L"%D0%B2%D0%B5%D1%81%D0%BD%D0%B0",
       "e@x.ru",
       "a"},
      {"stored utm and a container with only the e-mail",
       L"stored",
       {{"email", "e@x.ru"}},
       {L"read utm", L"parse silent"},
       L"stored",
       "",
       ""},
      {"stored utm and no container",
       L"stored",
       {},
       {L"read utm", L"parse silent"},
       L"stored",
       "",
       ""},
      {"utf-8 utm, intro and gclid are stored as their text",
       L"",
       {{"utm", kSpringUtf8}, {"intro", kSpringUtf8}, {"gclid", "\xE2\x82\xAC"}},
       {L"read utm", L"parse", L"write utm=\u0432\u0435\u0441\u043d\u0430",
        L"write installer_intro=\u0432\u0435\u0441\u043d\u0430", L"write gclid_cookie=\u20ac"},
       L"%D0%B2%D0%B5%D1%81%D0%BD%D0%B0",
       "",
       ""},
      {"single-byte text falls back to the code page",
       L"",
       {{"utm", kSpring1251}, {"intro", "caf\xE9"}},
       {L"read utm", L"parse", L"write utm=\u0432\u0435\u0441\u043d\u0430",
        L"write installer_intro=caf\u0439"},
       L"%D0%B2%D0%B5%D1%81%D0%BD%D0%B0",
       "",
       ""},
      {"the e-mail goes on as utf-8 either way; the token as it came",
       L"",
       {{"email", std::string(kSpring1251) + "@x.ru"}, {"auth", "t\xFF"}},
       {L"read utm", L"parse", L"delete utm"},
       L"",
       std::string(kSpringUtf8) + "@x.ru",
       "t\xFF"},
      {"a utf-8 e-mail stays as it is",
       L"",
       {{"email", std::string(kSpringUtf8) + "@x.ru"}, {"auth", "t"}},
       {L"read utm", L"parse", L"delete utm"},
       L"",
       std::string(kSpringUtf8) + "@x.ru",
       "t"},
      {"full container",
       L"",
       {{"utm", "spring sale"},
        {"email", "u@x.ru"},
        {"auth", "tok"},
        {"intro", "first page"},
        {"gclid", "g1"}},
       {L"read utm", L"parse", L"write utm=spring sale", L"write installer_intro=first page",
        L"write gclid_cookie=g1"},
       L"spring%20sale",
       "u@x.ru",
       "tok"},
      {"no utm deletes the stored one; e-mail without token hands over nothing",
       L"",
       {{"email", "u@x.ru"}},
       {L"read utm", L"parse", L"delete utm"},
       L"",
       "",
       ""},
      {"token without e-mail",
       L"",
       {{"auth", "tok"}, {"utm", ""}},
       {L"read utm", L"parse", L"delete utm"},
       L"",
       "",
       ""},
      {"empty intro and gclid are not written",
       L"",
       {{"utm", "u"}, {"intro", ""}, {"gclid", ""}},
       {L"read utm", L"parse", L"write utm=u"},
       L"u",
       "",
       ""},
      {"an encoded zero byte cuts the converted value",
       L"",
       {{"utm", std::string("ab\0cd", 5)}, {"intro", std::string("\0x", 2)}},
       {L"read utm", L"parse", L"write utm=ab", L"write installer_intro="},
       L"ab",
       "",
       ""},
      {"keys are case-sensitive",
       L"",
       {{"UTM", "x"}, {"Email", "e"}, {"auth", "a"}},
       {L"read utm", L"parse", L"delete utm"},
       L"",
       "",
       ""},
  };
  for (const auto& c : cases) {
    FakeStart fake;
    if (!c.storedUtm.empty()) fake.key.values[L"utm"] = c.storedUtm;
    fake.params = c.params;
    std::wstring tag;
    const AuthHandoff handoff = fake.Settle(tag);
    EXPECT_EQ(fake.Calls(), c.calls) << c.name;
    EXPECT_EQ(tag, c.tag) << c.name;
    EXPECT_EQ(handoff.email, c.email) << c.name;
    EXPECT_EQ(handoff.auth, c.auth) << c.name;
  }
}

// A key that cannot be opened: each failure is reported to the sender that was given, and
// the container's tag still counts for this run.
TEST(SettleAttribution, RegistryFailuresGoToTheSender) {
  FakeProductKey key;
  key.openStatus = 5;
  MetricRecorder recorder;
  auto sender = recorder.MakeSender();
  const LaunchParams params = {{"utm", "u"}, {"intro", "i"}, {"email", "e@x.ru"}, {"auth", "a"}};
  const AuthHandoff handoff = SettleAttribution(
      key, sender, [&](std::shared_ptr<MetricSender>) { return params; }, &FakeCyrillicCodePage);
  sender->SendMetric(L"probe", 1);
  EXPECT_EQ(handoff.email, "e@x.ru");
  const std::vector<std::wstring> expected = {L"utm_fail_reg_open:5", L"fail_reg_open:5",
                                              L"fail_reg_open:5", L"probe:1"};
  EXPECT_EQ(DrainEvents(sender, recorder), expected);
  EXPECT_NE(recorder.Requests().back().url.find(L"&utm=u&"), std::wstring::npos);
}

}  // namespace

}  // namespace cumulo
