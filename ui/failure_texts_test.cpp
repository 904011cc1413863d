#include "ui/failure_texts.h"

#include <gtest/gtest.h>

#include "build_config.h"
#include "install/install_outcome.h"
#include "ui/ui_texts.h"

namespace cumulo {

namespace {

TEST(FailureTexts, OutcomeJournalLinesAndMessages) {
  const std::wstring unexpectedEn = UnexpectedErrorText(Language::English, UnexpectedForm::Message);
  const std::wstring unexpectedRu = UnexpectedErrorText(Language::Russian, UnexpectedForm::Message);
  const struct {
    InstallOutcome outcome;
    const wchar_t* line;
    std::wstring en, ru;
  } cases[] = {
      {InstallOutcome::SetupFailed, L"Offline Cumulo Installer failed.",
       L"Could not install a Cumulo: component", L"Не удалось установить компонент Кумуло."},
      {InstallOutcome::ClientStillRunning, L"Cumulo application is already running.",
       L"Please close the running Cumulo applications and try again.",
       L"Пожалуйста, закройте приложение Кумуло и повторите установку."},
      {InstallOutcome::NoDiskSpace, L"Not enough disk space.",
       L"Not enough disk space. Please clean up and try again.",
       L"Недостаточно места на системном диске. Пожалуйста, освободите место и повторите "
       L"установку."},
      {InstallOutcome::PathUnavailable, L"Unknown error occuried.", unexpectedEn, unexpectedRu},
      {InstallOutcome::DownloadFailed, L"Unknown error occuried.", unexpectedEn, unexpectedRu},
      {static_cast<InstallOutcome>(2), L"Unknown error occuried.", unexpectedEn, unexpectedRu},
      {InstallOutcome::Idle, L"Unknown error occuried.", unexpectedEn, unexpectedRu},
      {static_cast<InstallOutcome>(-7), L"Unknown error occuried.", unexpectedEn, unexpectedRu},
  };
  for (const auto& c : cases) {
    const OutcomeReport en = OutcomeReportFor(c.outcome, Language::English);
    const OutcomeReport ru = OutcomeReportFor(c.outcome, Language::Russian);
    EXPECT_FALSE(en.closeWindow);
    EXPECT_EQ(en.journalLine, c.line);
    EXPECT_EQ(ru.journalLine, c.line);  // the journal is English only
    EXPECT_EQ(en.message, c.en);
    EXPECT_EQ(ru.message, c.ru);
  }
  const OutcomeReport ok = OutcomeReportFor(InstallOutcome::Succeeded, Language::Russian);
  EXPECT_TRUE(ok.closeWindow);
  EXPECT_TRUE(ok.journalLine.empty());
  EXPECT_TRUE(ok.message.empty());
}

TEST(FailureTexts, UnexpectedErrorForms) {
  const std::wstring email = build_config::kSupportEmail;
  EXPECT_EQ(UnexpectedErrorText(Language::English, UnexpectedForm::Dialog),
            L"An unexpected error occurred during Cumulo: installation.\r\nPlease try to run "
            L"the installer again. If the error persists, please contact our support team at " +
                email + L". We will do our best to resolve the error.");
  EXPECT_EQ(UnexpectedErrorText(Language::English, UnexpectedForm::Message),
            UnexpectedErrorText(Language::English, UnexpectedForm::Dialog));
  EXPECT_EQ(UnexpectedErrorText(Language::Russian, UnexpectedForm::Message),
            L"При установке Кумуло произошла непредвиденная ошибка.\r\nПопробуйте запустить "
            L"установку еще раз. Если это не поможет, напишите нам в службу поддержки " +
                email + L" и мы постараемся помочь вам исправить эту ошибку.");
  EXPECT_EQ(UnexpectedErrorText(Language::Russian, UnexpectedForm::Dialog),
            L"При установке Кумуло произошла непредвиденная ошибка.\r\nПопробуйте запустить "
            L"установку еще раз.\r\nЕсли не поможет, напишите нам в службу поддержки " +
                email + L" и мы постараемся помочь вам исправить эту ошибку.");
}

TEST(FailureTexts, CaptionsAndButton) {
  EXPECT_STREQ(MessageCaption(Language::English), L"Cumulo:");
  EXPECT_STREQ(MessageCaption(Language::Russian), L"Кумуло:");
  EXPECT_STREQ(JournalButtonText(Language::English), L"Journal");
  EXPECT_STREQ(JournalButtonText(Language::Russian), L"Журнал");
}

TEST(WindowTexts, LinkAddressesAndSubtitleBlank) {
  const WindowTexts en = WindowTextsFor(Language::English);
  const WindowTexts ru = WindowTextsFor(Language::Russian);
  EXPECT_EQ(en.linkAddress,
            std::wstring(L"https://") + build_config::kTermsHost + L"/legal/cumulo_termsofuse");
  EXPECT_EQ(ru.linkAddress, std::wstring(L"https://") + build_config::kTermsHostRu +
                                L"/biz/legal/cumulo_termsofuse");
  EXPECT_EQ(en.subtitle.back(), L' ');
  EXPECT_EQ(en.percent, L"0 %");
  EXPECT_EQ(ru.installCaption, L"Установить");
}

}  // namespace

}  // namespace cumulo
