#include "ui/ui_language.h"

namespace {
bool russianUi = false;
}  // namespace

bool RussianUi() { return russianUi; }
void SetRussianUi() { russianUi = true; }

LanguageChoice ChooseLanguage(bool querySucceeded, const std::wstring& languageName,
                              uint32_t lastError) {
  LanguageChoice choice;
  if (!querySucceeded) {
    choice.russian = true;
    choice.sendNoLocale = true;
    choice.noLocaleValue = lastError;
    return choice;
  }
  std::wstring lower;
  for (wchar_t c : languageName) lower.push_back(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
  choice.russian = lower == L"ru";
  return choice;
}
