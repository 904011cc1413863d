#pragma once
// The interface language from the user's locale, settled once by start-up.
#include "net/metric_sender.h"
#include "ui/ui_language.h"

namespace cumulo {

// Asks the locale for its ISO 639 name; a failed query sends "no_locale" (when a sender
// is given) and, as the rule says, gives Russian. Journals the Russian choice.
Language SettleLanguage(MetricSender* metricSender);

}  // namespace cumulo
