#pragma once
// The installation identifier: "WC" and eight characters drawn from the time, which tells
// the statistics endpoint which installation an event comes from.
#include <cstdint>
#include <string>

namespace cumulo {

// The identifier for a given time value t (portable; the generator is computed here,
// not taken from the C library, so it is the same everywhere).
std::wstring GenerateInstallationIdAt(int64_t t);

// A new identifier from the calendar time and the tick count (Windows builds).
std::wstring GenerateInstallationId();

}  // namespace cumulo
