#include "ui/ui_language.h"

#include "base/wide_text.h"

namespace cumulo {

LanguageChoice ChooseLanguage(bool querySucceeded, const std::wstring& languageName,
                              uint32_t lastError) {
  LanguageChoice choice;
  if (!querySucceeded) {
    choice.language = Language::Russian;
    choice.sendNoLocale = true;
    choice.noLocaleValue = lastError;
    return choice;
  }
  choice.language =
      LowerAsciiLetters(languageName) == L"ru" ? Language::Russian : Language::English;
  return choice;
}

}  // namespace cumulo
