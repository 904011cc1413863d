#include "ui/ui_texts.h"

#include "build_config.h"

namespace cumulo {

WindowTexts WindowTextsFor(Language language) {
  WindowTexts t;
  if (language == Language::Russian) {
    t.title = L"Присоединяйтесь к 1 млн пользователей Кумуло";
    t.subtitle = L"Все популярные облака доступны для работы на вашем компьютере";
    t.installCaption = L"Установить";
    t.closeCaption = L"Закрыть";
    t.agreement = L"Запуская установку Кумуло, вы соглашаетесь с условиями";
    t.linkText = L"лицензионного соглашения";
    t.linkAddress =
        std::wstring(L"https://") + build_config::kTermsHostRu + L"/biz/legal/cumulo_termsofuse";
  } else {
    t.title = L"Join 1 million Cumulo: users";
    t.subtitle = L"The most popular clouds are ready to use on your computer ";
    t.installCaption = L"Install";
    t.closeCaption = L"Close";
    t.agreement = L"By pressing the \"Install\" button you agree with";
    t.linkText = L"terms and conditions";
    t.linkAddress =
        std::wstring(L"https://") + build_config::kTermsHost + L"/legal/cumulo_termsofuse";
  }
  t.percent = L"0 %";
  return t;
}

const wchar_t* WindowTitle() { return L"Cumulo Installer"; }

const wchar_t* MessageCaption(Language language) {
  return language == Language::Russian ? L"Кумуло:" : L"Cumulo:";
}

const wchar_t* OtherUserQuestion(Language language) {
  return language == Language::Russian
             ? L"Удостоверьтесь, пожалуйста, что Установщик запущен от текущего "
               L"пользователя.\r\nОбратите внимание, Кумуло: работает только у того "
               L"пользователя, от которого была выполнена установка.\r\nПродолжать "
               L"установку?"
             : L"Please make sure that the installer is launched by the current "
               L"user.\r\nBeware that Cumulo: only works for the user who installed "
               L"it.\r\nContinue the installation?";
}

}  // namespace cumulo
