#include "app/attribution_settlement.h"

namespace cumulo {

namespace {
std::string ValueOf(const LaunchParams& params, const char* key) {
  const auto it = params.find(key);
  return it == params.end() ? std::string() : it->second;
}

// The e-mail travels as UTF-8 to the client; the token is machine-made and goes as it came
// (malformed bytes in it are refused at the hand-off).
AuthHandoff HandoffOf(const LaunchParams& params, CodePageDecoder fromCodePage) {
  AuthHandoff handoff;
  handoff.email = Utf8FromPageText(ValueOf(params, "email"), fromCodePage);
  handoff.auth = ValueOf(params, "auth");
  if (handoff.email.empty() || handoff.auth.empty()) {
    handoff.email.clear();
    handoff.auth.clear();
  }
  return handoff;
}
}  // namespace

AuthHandoff SettleAttribution(const AttributionOps& ops) {
  const std::wstring storedUtm = ops.readUtm();
  if (!storedUtm.empty()) {
    ops.setUtm(storedUtm);
    return HandoffOf(ops.parseLaunchParams(false), ops.fromCodePage);
  }
  const LaunchParams params = ops.parseLaunchParams(true);

  const std::wstring utm = WideFromPageText(ValueOf(params, "utm"), ops.fromCodePage);
  if (!utm.empty()) {
    ops.setUtm(utm);
    ops.writeUtm(utm);
  } else {
    ops.deleteUtm();
  }

  const std::string intro = ValueOf(params, "intro");
  if (!intro.empty()) {
    ops.writeValue(L"installer_intro", WideFromPageText(intro, ops.fromCodePage));
  }
  const std::string gclid = ValueOf(params, "gclid");
  if (!gclid.empty()) {
    ops.writeValue(L"gclid_cookie", WideFromPageText(gclid, ops.fromCodePage));
  }
  return HandoffOf(params, ops.fromCodePage);
}

}  // namespace cumulo
