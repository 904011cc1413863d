#include "net/download_resume.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {
ResumeState Partial(uint64_t written) {
  ResumeState s;
  s.validator = L"\"v1\"";
  s.validatorName = L"ETag";
  s.length = 1000;
  s.rangesAccepted = true;
  s.written = written;
  return s;
}
}  // namespace

TEST(DownloadResume, AsksForTheRestOnlyOfAShortFileWithAValidator) {
  EXPECT_EQ(ResumeHeaders(Partial(1)), L"Range: bytes=1-\r\nIf-Range: \"v1\"\r\n");
  EXPECT_EQ(ResumeOffset(Partial(999)), 999u);
  EXPECT_EQ(ResumeOffset(Partial(0)), 0u);
  EXPECT_EQ(ResumeOffset(Partial(1000)), 0u) << "a whole file has no rest to ask for";
  EXPECT_EQ(ResumeOffset(Partial(5000)), 0u);
  ResumeState noRanges = Partial(10);
  noRanges.rangesAccepted = false;
  ResumeState noValidator = Partial(10);
  noValidator.validator.clear();
  ResumeState noLength = Partial(10);
  noLength.length = 0;
  for (const ResumeState& s : {noRanges, noValidator, noLength}) {
    EXPECT_EQ(ResumeOffset(s), 0u);
    EXPECT_EQ(ResumeHeaders(s), L"");
  }
}

TEST(DownloadResume, PlansTheBodyByStatusAndRange) {
  const ResumeState state = Partial(400);
  const HeaderTable exact = {{L"Content-Range", L"bytes 400-999/1000"}, {L"ETag", L"\"v1\""}};
  const HeaderTable withLength = {
      {L"Content-Range", L"bytes 400-999/1000"}, {L"Content-Length", L"600"}, {L"ETag", L"\"v1\""}};
  const HeaderTable wrongLength = {
      {L"Content-Range", L"bytes 400-999/1000"}, {L"Content-Length", L"601"}, {L"ETag", L"\"v1\""}};
  const HeaderTable lowerCase = {{L"content-range", L"bytes 400-999/1000"}, {L"etag", L"\"v1\""}};
  const HeaderTable noValidator = {{L"Content-Range", L"bytes 400-999/1000"}};
  const HeaderTable otherValidator = {{L"Content-Range", L"bytes 400-999/1000"},
                                      {L"ETag", L"\"v2\""}};
  const HeaderTable weakValidator = {{L"Content-Range", L"bytes 400-999/1000"},
                                     {L"ETag", L"W/\"v1\""}};
  const HeaderTable dateOnly = {{L"Content-Range", L"bytes 400-999/1000"},
                                {L"Last-Modified", L"\"v1\""}};
  const struct {
    uint64_t offset;
    uint32_t status;
    HeaderTable headers;
    BodyPlan plan;
  } cases[] = {
      {400, 206, exact, BodyPlan::Append},
      {400, 206, withLength, BodyPlan::Append},
      {400, 206, wrongLength, BodyPlan::Distrust},
      {400, 206, lowerCase, BodyPlan::Append},
      {400, 206, noValidator, BodyPlan::Distrust},
      {400, 206, otherValidator, BodyPlan::Distrust},
      {400, 206, weakValidator, BodyPlan::Distrust},
      {400, 206, dateOnly, BodyPlan::Distrust},
      {400, 206, {}, BodyPlan::Distrust},
      {0, 206, exact, BodyPlan::Distrust},
      {401, 206, exact, BodyPlan::Distrust},
      {400, 200, exact, BodyPlan::Fresh},
      {0, 200, {}, BodyPlan::Fresh},
      {400, 416, {}, BodyPlan::Distrust},
      {400, 404, {}, BodyPlan::Distrust},
      {400, 410, {}, BodyPlan::Distrust},
      {400, 500, {}, BodyPlan::NotABody},
      {400, 503, {}, BodyPlan::NotABody},
      {400, 408, {}, BodyPlan::NotABody},
      {400, 429, {}, BodyPlan::NotABody},
      {0, 404, {}, BodyPlan::NotABody},
      {0, 401, {}, BodyPlan::NotABody},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlanBody(state, c.offset, c.status, c.headers), c.plan)
        << c.offset << " " << c.status;
  }
}

TEST(DownloadResume, ChoosesAValidatorFitToSendBack) {
  const struct {
    HeaderTable headers;
    const wchar_t* validator;
  } cases[] = {
      {{{L"ETag", L"\"abc\""}, {L"Last-Modified", L"Tue, 01 Dec 2026 10:00:00 GMT"}}, L"\"abc\""},
      {{{L"Last-Modified", L"Tue, 01 Dec 2026 10:00:00 GMT"}}, L"Tue, 01 Dec 2026 10:00:00 GMT"},
      {{{L"ETag", L"W/\"abc\""}, {L"Last-Modified", L"Tue, 01 Dec 2026 10:00:00 GMT"}}, L""},
      {{{L"ETag", L""}}, L""},
      {{{L"ETag", L"\"a\tb\""}}, L""},
      {{{L"ETag", L"\"caf\x00e9\""}}, L""},
      {{{L"ETag", std::wstring(257, L'x')}}, L""},
      {{{L"ETag", std::wstring(256, L'x')}}, nullptr},
      {{{L"etag", L"\"abc\""}}, L"\"abc\""},
      {{}, L""},
  };
  for (const auto& c : cases) {
    const std::wstring expected = c.validator ? c.validator : std::wstring(256, L'x');
    EXPECT_EQ(ResumeValidator(c.headers), expected);
  }
}

TEST(DownloadResume, StartsTheFileFromTheFirstAnswer) {
  const ResumeState s = StartedFile(
      {{L"ETag", L"\"v\""}, {L"Accept-Ranges", L"Bytes"}, {L"Content-Length", L"9"}}, 9);
  EXPECT_EQ(s.validator, L"\"v\"");
  EXPECT_EQ(s.validatorName, L"ETag");
  EXPECT_EQ(s.length, 9u);
  EXPECT_EQ(StartedFile({{L"last-modified", L"Tue, 01 Dec 2026 10:00:00 GMT"}}, 9).validatorName,
            L"Last-Modified");
  EXPECT_TRUE(s.rangesAccepted);
  EXPECT_EQ(s.written, 0u);
  EXPECT_FALSE(StartedFile({{L"Accept-Ranges", L"bytes, none"}}, 9).rangesAccepted);
  EXPECT_EQ(SpaceNeeded(Partial(400), 1000), 600u);
  const ResumeState forgotten = Forgotten(Partial(400));
  EXPECT_EQ(ResumeOffset(forgotten), 0u) << "never continued";
  EXPECT_EQ(SpaceNeeded(forgotten, 1000), 600u) << "its bytes are still on disk";
  EXPECT_EQ(SpaceNeeded(Partial(5000), 1000), 0u);
}

}  // namespace cumulo
