#pragma once
// The interface language: settled once from the user's locale when the window opens,
// then passed to every choice of text.
#include <cstdint>
#include <string>

namespace cumulo {

enum class Language { English, Russian };

struct LanguageChoice {
  Language language = Language::English;
  bool sendNoLocale = false;  // the locale query failed; "no_locale" carries its error
  uint32_t noLocaleValue = 0;
};

// The rule: a failed query, or an ISO 639 name equal to "ru" in any letter case, gives
// the Russian interface.
LanguageChoice ChooseLanguage(bool querySucceeded, const std::wstring& languageName,
                              uint32_t lastError);

}  // namespace cumulo
