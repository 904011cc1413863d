#pragma once
// The interface language of the process: chosen once from the user's locale by the
// installer window, read by every text choice afterwards.
#include <cstdint>
#include <string>

bool RussianUi();
// Called at most once, by the window, before any other thread reads the flag.
void SetRussianUi();

struct LanguageChoice {
  bool russian = false;
  bool sendNoLocale = false;  // the locale query failed; "no_locale" carries its error
  uint32_t noLocaleValue = 0;
};

// The rule: a failed query, or an ISO 639 name equal to "ru" in any letter case, gives
// the Russian interface.
LanguageChoice ChooseLanguage(bool querySucceeded, const std::wstring& languageName,
                              uint32_t lastError);
