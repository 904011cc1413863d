#include "ui/ui_language.h"

#include <gtest/gtest.h>

namespace cumulo {

namespace {

TEST(Language, ChosenFromTheLocale) {
  const struct {
    bool ok;
    const wchar_t* name;
    bool russian;
  } cases[] = {{true, L"ru", true},  {true, L"RU", true},  {true, L"Ru", true},
               {true, L"en", false}, {true, L"uk", false}, {true, L"rus", false},
               {true, L"", false},   {false, L"", true}};
  for (const auto& c : cases) {
    const LanguageChoice choice = ChooseLanguage(c.ok, c.name, 87);
    EXPECT_EQ(choice.language == Language::Russian, c.russian) << c.name;
    EXPECT_EQ(choice.sendNoLocale, !c.ok) << c.name;
  }
  EXPECT_EQ(ChooseLanguage(false, L"en", 1400).noLocaleValue, 1400u);
}

}  // namespace

}  // namespace cumulo
