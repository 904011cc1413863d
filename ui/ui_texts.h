#pragma once
// The installer window's texts in English and Russian.
#include <string>

#include "ui/ui_language.h"

namespace cumulo {

struct WindowTexts {
  std::wstring title;
  std::wstring subtitle;
  std::wstring installCaption;
  std::wstring closeCaption;  // the close button's name for screen readers; it shows an "X"
  std::wstring percent;
  std::wstring agreement;
  std::wstring linkText;
  std::wstring linkAddress;
};

WindowTexts WindowTextsFor(Language language);

// The main window's title, the same in both languages.
const wchar_t* WindowTitle();
// The caption of every message box and of the error dialog.
const wchar_t* MessageCaption(Language language);
// The question asked when the installer does not run as the desktop's user.
const wchar_t* OtherUserQuestion(Language language);

}  // namespace cumulo
