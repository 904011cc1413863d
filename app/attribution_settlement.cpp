#include "app/attribution_settlement.h"

#include "app/attribution_store.h"

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

AuthHandoff SettleAttribution(ProductKey& key, const std::shared_ptr<MetricSender>& sender,
                              const LaunchParamsReader& readParams, CodePageDecoder fromCodePage) {
  const std::wstring storedUtm = ReadUtm(key, sender);
  if (!storedUtm.empty()) {
    if (sender) sender->SetUtm(storedUtm);
    return HandoffOf(readParams(nullptr), fromCodePage);
  }
  const LaunchParams params = readParams(sender);

  const std::wstring utm = WideFromPageText(ValueOf(params, "utm"), fromCodePage);
  if (!utm.empty()) {
    if (sender) sender->SetUtm(utm);
    WriteUtm(key, utm, sender);
  } else {
    DeleteUtm(key, sender);
  }

  const std::string intro = ValueOf(params, "intro");
  if (!intro.empty()) {
    WriteValue(key, L"installer_intro", WideFromPageText(intro, fromCodePage), sender);
  }
  const std::string gclid = ValueOf(params, "gclid");
  if (!gclid.empty()) {
    WriteValue(key, L"gclid_cookie", WideFromPageText(gclid, fromCodePage), sender);
  }
  return HandoffOf(params, fromCodePage);
}

}  // namespace cumulo
