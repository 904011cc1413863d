#pragma once
// How start-up settles the attribution values. The e-mail and token always come from the
// container, so that a returning user is signed in with what the page passed this time.
// A stored utm wins for attribution (the first touch counts); on such a run the container's
// utm, intro and gclid are not stored and its problems are not reported. Otherwise the
// container's utm, intro and gclid are taken and stored.
#include <functional>
#include <string>

#include "app/launch_params.h"
#include "app/page_text.h"
#include "install/auth_handoff.h"

namespace cumulo {

// The operations involved, as functions so that the rule can be tested on its own.
struct AttributionOps {
  std::function<std::wstring()> readUtm;
  // `reportProblems` false: a container without "=" pieces or missing sends nothing.
  std::function<LaunchParams(bool reportProblems)> parseLaunchParams;
  std::function<void(const std::wstring&)> setUtm;  // the sender's utm for later requests
  std::function<void(const std::wstring&)> writeUtm;
  std::function<void()> deleteUtm;
  std::function<void(const std::wstring& name, const std::wstring& value)> writeValue;
  // Bytes that are not UTF-8, read in the thread's ANSI code page.
  CodePageDecoder fromCodePage;
};

AuthHandoff SettleAttribution(const AttributionOps& ops);

}  // namespace cumulo
