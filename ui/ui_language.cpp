#include "ui/ui_language.h"

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
  std::wstring lower;
  for (wchar_t c : languageName) lower.push_back(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
  choice.language = lower == L"ru" ? Language::Russian : Language::English;
  return choice;
}

}  // namespace cumulo
