#include "net/download_resume.h"

#include "base/wide_text.h"
#include "net/content_range.h"

namespace cumulo {

namespace {
// Validators of real servers are a few dozen characters; a longer one is not sent back.
constexpr size_t kMostValidatorChars = 256;

bool FitToSend(const std::wstring& value) {
  if (value.empty() || value.size() > kMostValidatorChars) return false;
  for (wchar_t c : value) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

}  // namespace

uint64_t ResumeOffset(const ResumeState& state) {
  if (state.written == 0 || state.length == 0 || state.written >= state.length) return 0;
  if (!state.rangesAccepted || state.validator.empty()) return 0;
  return state.written;
}

std::wstring ResumeHeaders(const ResumeState& state) {
  const uint64_t offset = ResumeOffset(state);
  if (offset == 0) return std::wstring();
  return L"Range: bytes=" + DecimalW(static_cast<int64_t>(offset)) + L"-\r\nIf-Range: " +
         state.validator + L"\r\n";
}

std::wstring ResumeValidator(const HeaderTable& headers, std::wstring* name) {
  const auto etag = headers.find(L"ETag");
  if (etag != headers.end()) {
    // A weak tag cannot guard a byte range, and its presence rules out the date too.
    if (etag->second.compare(0, 2, L"W/") == 0 || !FitToSend(etag->second)) return std::wstring();
    if (name) *name = L"ETag";
    return etag->second;
  }
  const auto modified = headers.find(L"Last-Modified");
  if (modified == headers.end() || !FitToSend(modified->second)) return std::wstring();
  if (name) *name = L"Last-Modified";
  return modified->second;
}

BodyPlan PlanBody(const ResumeState& state, uint64_t offset, uint32_t status,
                  const HeaderTable& headers) {
  if (status == 200) return BodyPlan::Fresh;
  if (status != 206) {
    // A server in trouble (5xx, 408, 429) says nothing about the file: the next attempt
    // asks for the same range. Any other answer to a resume may mean the file changed.
    const bool transient = status >= 500 || status == 408 || status == 429;
    return offset == 0 || transient ? BodyPlan::NotABody : BodyPlan::Distrust;
  }
  if (offset == 0 || state.length == 0) return BodyPlan::Distrust;
  const auto header = headers.find(L"Content-Range");
  if (header == headers.end()) return BodyPlan::Distrust;
  const auto range = ParseContentRange(header->second);
  if (!range || range->first != offset || range->complete != state.length ||
      range->last != range->complete - 1) {
    return BodyPlan::Distrust;
  }
  // The If-Range guarded the request only if the server honoured it; a 206 that does not
  // repeat the validator may be the rest of another version of the file.
  if (!state.validator.empty()) {
    const auto validator = headers.find(state.validatorName);
    if (validator == headers.end() || validator->second != state.validator) {
      return BodyPlan::Distrust;
    }
  }
  // A length that disagrees with the range says the answer is not what it claims.
  const auto lengthHeader = headers.find(L"Content-Length");
  if (lengthHeader != headers.end()) {
    uint64_t partLength = 0;
    if (!ParseContentLength(lengthHeader->second, partLength) ||
        partLength != state.length - offset) {
      return BodyPlan::Distrust;
    }
  }
  return BodyPlan::Append;
}

ResumeState Forgotten(const ResumeState& state) {
  ResumeState forgotten;
  forgotten.written = state.written;
  return forgotten;
}

ResumeState StartedFile(const HeaderTable& headers, uint64_t contentLength) {
  ResumeState state;
  state.validator = ResumeValidator(headers, &state.validatorName);
  state.length = contentLength;
  const auto ranges = headers.find(L"Accept-Ranges");
  state.rangesAccepted = ranges != headers.end() && LowerAsciiLetters(ranges->second) == L"bytes";
  return state;
}

uint64_t SpaceNeeded(const ResumeState& state, uint64_t total) {
  return total > state.written ? total - state.written : 0;
}

}  // namespace cumulo
