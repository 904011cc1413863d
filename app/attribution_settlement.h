#pragma once
// How start-up settles the attribution values. The e-mail and token always come from the
// container, so that a returning user is signed in with what the page passed this time.
// A stored utm wins for attribution (the first touch counts); on such a run the container's
// utm, intro and gclid are not stored and its problems are not reported. Otherwise the
// container's utm, intro and gclid are taken and stored.
#include <functional>
#include <memory>
#include <string>

#include "app/launch_params.h"
#include "app/page_text.h"
#include "install/auth_handoff.h"
#include "install/product_key.h"
#include "net/metric_sender.h"

namespace cumulo {

// Reads the container; given no sender, a container without "=" pieces or missing sends
// nothing.
using LaunchParamsReader = std::function<LaunchParams(std::shared_ptr<MetricSender> sender)>;

// `fromCodePage` reads bytes that are not UTF-8 in the thread's ANSI code page. The utm
// that counts becomes the sender's for later requests.
AuthHandoff SettleAttribution(ProductKey& key, const std::shared_ptr<MetricSender>& sender,
                              const LaunchParamsReader& readParams, CodePageDecoder fromCodePage);

}  // namespace cumulo
