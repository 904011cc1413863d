#include "app/launch_params.h"

#include <gtest/gtest.h>

#include <map>

#include "common/recording_transport.h"

namespace cumulo {

namespace {

struct ContainerCase {
  const char* name;
  std::vector<std::wstring> args;
  std::map<std::string, std::string> expected;
  std::vector<std::wstring> events;
};

std::vector<std::wstring> WithParams(const std::wstring& container) {
  return {L"C:\\Downloads\\CumuloInstaller.exe", L"--params", container};
}

TEST(ParseLaunchParamsFrom, Table) {
  const ContainerCase cases[] = {
      {"escapes and plus",
       WithParams(L"utm=spring%20sale&intro=first+page"),
       {{"utm", "spring sale"}, {"intro", "first page"}},
       {}},
      {"last piece wins", WithParams(L"a=1&a=2"), {{"a", "2"}}, {}},
      {"first = splits", WithParams(L"a=b=c"), {{"a", "b=c"}}, {}},
      {"keys are decoded", WithParams(L"%75tm=x"), {{"utm", "x"}}, {}},
      {"empty key", WithParams(L"=x"), {{"", "x"}}, {}},
      {"empty value", WithParams(L"a="), {{"a", ""}}, {}},
      {"trailing &", WithParams(L"a=1&"), {{"a", "1"}}, {L"err_parse_container_1:1"}},
      {"&& gives empty pieces",
       WithParams(L"&a=1&&b&c=2"),
       {{"a", "1"}, {"c", "2"}},
       {L"err_parse_container_1:1", L"err_parse_container_1:1", L"err_parse_container_1:1"}},
      {"hex escapes", WithParams(L"a=%41%42"), {{"a", "AB"}}, {}},
      {"utf-8 escapes", WithParams(L"a=%e2%82%ac"), {{"a", "\xE2\x82\xAC"}}, {}},
      {"short escape at end", WithParams(L"a=%4"), {{"a", std::string(1, '\x04')}}, {}},
      {"encoded zero byte", WithParams(L"a=x%00y"), {{"a", std::string("x\0y", 3)}}, {}},
      // Not hexadecimal: the two characters are consumed and one '?' takes their place.
      {"non-hex escape", WithParams(L"a=%zz1&b=%&c=%g"), {{"a", "?1"}, {"b", "?"}, {"c", "?"}}, {}},
      // Read the way "%x" reads: digits up to the first other character, all consumed.
      {"partly hex escape",
       WithParams(L"a=%4g5"),
       {{"a",
         "\x04"
         "5"}},
       {}},
      {"case-sensitive keys", WithParams(L"UTM=x"), {{"UTM", "x"}}, {}},
      // Raw text in the container is taken as UTF-8, the same bytes its escapes would give.
      {"raw text as utf-8", WithParams(L"a=\u00e9\u20ac"), {{"a", "\xC3\xA9\xE2\x82\xAC"}}, {}},
      {"raw cyrillic and escaped cyrillic agree",
       WithParams(L"a=\u0432\u0435\u0441\u043d\u0430&b=%D0%B2%D0%B5%D1%81%D0%BD%D0%B0"),
       {{"a", "\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB0"},
        {"b", "\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB0"}},
       {}},
      {"a raw & in another script still splits",
       WithParams(L"a=\u0434&b=\u0430"),
       {{"a", "\xD0\xB4"}, {"b", "\xD0\xB0"}},
       {}},
      {"unpaired surrogate",
       WithParams(std::wstring(L"a=") + wchar_t(0xD800)),
       {{"a", "\xEF\xBF\xBD"}},
       {}},
      {"first --params with a value",
       {L"app.exe", L"--params", L"a=1", L"--params", L"a=2"},
       {{"a", "1"}},
       {}},
      {"--params last",
       {L"app.exe", L"--log", L"x.log", L"--params"},
       {},
       {L"err_read_container:87"}},
      {"--params empty", WithParams(L""), {}, {L"err_read_container:87"}},
      {"no --params", {L"app.exe"}, {}, {L"err_read_container:87"}},
      {"no arguments", {}, {}, {L"err_read_container:87"}},
      {"--PARAMS", {L"app.exe", L"--PARAMS", L"a=1"}, {}, {L"err_read_container:87"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MetricRecorder recorder;
    auto sender = recorder.MakeSender();
    const LaunchParams map = ParseLaunchParamsFrom(c.args, 87, sender);
    const std::map<std::string, std::string> sorted(map.begin(), map.end());
    EXPECT_EQ(sorted, c.expected);
    EXPECT_EQ(DrainEvents(sender, recorder), c.events);
  }
}

struct DecodeCase {
  std::string in;
  std::string out;
};

// The parts of "%x" beyond plain digits: leading white space and a sign.
TEST(UrlDecode, EscapesReadLikeScanfHex) {
  const DecodeCase cases[] = {
      {"%FF", "\xFF"}, {"%fF", "\xFF"}, {"% 4", "\x04"},
      {"%+4", "\x04"}, {"%-1", "\xFF"}, {"%0x", std::string(1, '\0')},
      {"%x1", "?"},    {"%", "?"},      {"%%41", "?1"},
      {"%2B", "+"},    {"%+", "?"},     {"a+b%2", "a b\x02"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
  }
}

TEST(ParseLaunchParamsFrom, NoSenderIsSafe) {
  const LaunchParams map = ParseLaunchParamsFrom(WithParams(L"a&b=1"), 0, nullptr);
  EXPECT_EQ(map.at("b"), "1");
  EXPECT_TRUE(ParseLaunchParamsFrom({}, 0, nullptr).empty());
}

}  // namespace

}  // namespace cumulo
