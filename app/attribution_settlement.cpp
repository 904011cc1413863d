#include "app/attribution_settlement.h"

namespace cumulo {

namespace {
std::string ValueOf(const LaunchParams& params, const char* key) {
  const auto it = params.find(key);
  return it == params.end() ? std::string() : it->second;
}
}  // namespace

AuthHandoff SettleAttribution(const AttributionOps& ops) {
  AuthHandoff handoff;
  const std::wstring storedUtm = ops.readUtm();
  if (!storedUtm.empty()) {
    ops.setUtm(storedUtm);
    return handoff;
  }
  const LaunchParams params = ops.parseLaunchParams();

  const std::wstring utm = ops.toWide(ValueOf(params, "utm"));
  if (!utm.empty()) {
    ops.setUtm(utm);
    ops.writeUtm(utm);
  } else {
    ops.deleteUtm();
  }

  handoff.email = ValueOf(params, "email");
  handoff.auth = ValueOf(params, "auth");
  if (handoff.email.empty() || handoff.auth.empty()) {
    handoff.email.clear();
    handoff.auth.clear();
  }

  const std::string intro = ValueOf(params, "intro");
  if (!intro.empty()) ops.writeValue(L"installer_intro", ops.toWide(intro));
  const std::string gclid = ValueOf(params, "gclid");
  if (!gclid.empty()) ops.writeValue(L"gclid_cookie", ops.toWide(gclid));
  return handoff;
}

}  // namespace cumulo
