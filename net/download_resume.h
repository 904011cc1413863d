#pragma once
// What one download remembers of its partial file between attempts, and what an answer
// means for it: whether the next attempt may ask for the rest, and whether a body is
// the file from its start, the rest of it, or nothing to trust.
#include <cstdint>
#include <string>

#include "net/header_table.h"

namespace cumulo {

struct ResumeState {
  std::wstring validator;       // of the 200 that began the file: a strong ETag, else Last-Modified
  std::wstring validatorName;   // the header it came from: "ETag" or "Last-Modified"
  uint64_t length = 0;          // that answer's Content-Length; 0 when it announced none
  bool rangesAccepted = false;  // it said "Accept-Ranges: bytes"
  uint64_t written = 0;         // bytes of the file that this download has on disk
};

// Where the next attempt continues the file: 0 to start it again, else the number of
// bytes on disk, when the first answer allows a range request and the file is short.
[[nodiscard]] uint64_t ResumeOffset(const ResumeState& state);

// The request headers for the next attempt: Range and If-Range (CR LF after each) when
// it continues the file, empty otherwise.
[[nodiscard]] std::wstring ResumeHeaders(const ResumeState& state);

// The validator an If-Range may carry: a strong ETag, else Last-Modified when there is
// no ETag; empty when there is none fit to send back (weak, empty, too long, or holding
// anything but printable ASCII). `name` gets the header it came from.
[[nodiscard]] std::wstring ResumeValidator(const HeaderTable& headers,
                                           std::wstring* name = nullptr);

enum class BodyPlan {
  NotABody,  // a status with no body to keep; the file stays as it is
  Fresh,     // a 200: the file starts again from byte 0
  Append,    // a 206 that continues the file exactly where it stands
  Distrust,  // anything else to a resumed request, a stray 206, or a 206 without the
             // validator the resume asked for: the file starts over
};

// What the answer to an attempt that asked from `offset` (0: no Range) means. Redirects
// are decided before this and never reach it.
[[nodiscard]] BodyPlan PlanBody(const ResumeState& state, uint64_t offset, uint32_t status,
                                const HeaderTable& headers);

// The state once the partial file may not be continued: only what it holds on disk
// is kept, for the free-space check of the attempt that writes it anew.
[[nodiscard]] ResumeState Forgotten(const ResumeState& state);

// The state after a 200 that begins the file, before any byte is written.
[[nodiscard]] ResumeState StartedFile(const HeaderTable& headers, uint64_t contentLength);

// Bytes the volume must still take for the file to be whole: the announced total less
// what this download already has on disk (which a restart overwrites).
[[nodiscard]] uint64_t SpaceNeeded(const ResumeState& state, uint64_t total);

}  // namespace cumulo
