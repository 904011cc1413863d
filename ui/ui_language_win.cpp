#include "ui/ui_language_win.h"

#include <windows.h>

#include "base/journal.h"

namespace cumulo {

Language SettleLanguage(MetricSender* metricSender) {
  wchar_t name[85] = {};
  const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, name, 85);
  const DWORD error = length == 0 ? GetLastError() : 0;
  const LanguageChoice choice = ChooseLanguage(length != 0, length != 0 ? name : L"", error);
  if (choice.sendNoLocale && metricSender != nullptr) {
    metricSender->SendMetric(L"no_locale", static_cast<int32_t>(choice.noLocaleValue));
  }
  if (choice.language == Language::Russian) LogInfo(L"Using Russian UI language.");
  return choice.language;
}

}  // namespace cumulo
