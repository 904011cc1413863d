#include "ui/failure_texts.h"

#include "build_config.h"
#include "install/install_outcome.h"

namespace cumulo {

const wchar_t* NoticeText(Notice notice, Language language) {
  switch (notice) {
    case Notice::Cpu:
      return language == Language::Russian
                 ? L"Кумуло не поддерживается для данной архитектуры процессора.\r\n"
                   L"Продолжение установки невозможно."
                 : L"Cumulo is not supported on current hardware.\r\n"
                   L"Installation cannot proceed.";
    case Notice::Version:
      return language == Language::Russian
                 ? L"Для работы Кумуло: требуется Windows 7 с Service Pack 1 или выше.\r\n"
                   L"Пожалуйста, обновите вашу операционную систему."
                 : L"Cumulo requires Windows 7, Service Pack 1 or later.\r\n"
                   L"Please update your operating system.";
    case Notice::ServicePack:
      return language == Language::Russian
                 ? L"Для работы Кумуло требуется Windows 7 с Service Pack 1 или выше.\r\n"
                   L"Пожалуйста установите обновление Service Pack 1."
                 : L"Cumulo requires Windows 7, Service Pack 1 or later.\r\n"
                   L"Please install a Service Pack 1 update.";
  }
  return L"";
}

std::wstring UnexpectedErrorText(Language language, UnexpectedForm form) {
  const wchar_t* head;
  const wchar_t* tail;
  if (language != Language::Russian) {
    head =
        L"An unexpected error occurred during Cumulo: installation.\r\nPlease try to run the "
        L"installer again. If the error persists, please contact our support team at ";
    tail = L". We will do our best to resolve the error.";
  } else {
    head = form == UnexpectedForm::Message
               ? L"При установке Кумуло произошла непредвиденная ошибка.\r\nПопробуйте "
                 L"запустить установку еще раз. Если это не поможет, напишите нам в службу "
                 L"поддержки "
               : L"При установке Кумуло произошла непредвиденная ошибка.\r\nПопробуйте "
                 L"запустить установку еще раз.\r\nЕсли не поможет, напишите нам в службу "
                 L"поддержки ";
    tail = L" и мы постараемся помочь вам исправить эту ошибку.";
  }
  return std::wstring(head) + build_config::kSupportEmail + tail;
}

OutcomeReport OutcomeReportFor(InstallOutcome outcome, Language language) {
  OutcomeReport r;
  switch (outcome) {
    case InstallOutcome::Succeeded:
      r.closeWindow = true;
      return r;
    case InstallOutcome::SetupFailed:
      r.journalLine = L"Offline Cumulo Installer failed.";
      r.message = language == Language::Russian ? L"Не удалось установить компонент Кумуло."
                                                : L"Could not install a Cumulo: component";
      return r;
    case InstallOutcome::ClientStillRunning:
      r.journalLine = L"Cumulo application is already running.";
      r.message = language == Language::Russian
                      ? L"Пожалуйста, закройте приложение Кумуло и повторите установку."
                      : L"Please close the running Cumulo applications and try again.";
      return r;
    case InstallOutcome::NoDiskSpace:
      r.journalLine = L"Not enough disk space.";
      r.message = language == Language::Russian
                      ? L"Недостаточно места на системном диске. Пожалуйста, освободите "
                        L"место и повторите установку."
                      : L"Not enough disk space. Please clean up and try again.";
      return r;
    default:
      r.journalLine = L"Unknown error occuried.";
      r.message = UnexpectedErrorText(language, UnexpectedForm::Message);
      return r;
  }
}

const wchar_t* JournalButtonText(Language language) {
  return language == Language::Russian ? L"Журнал" : L"Journal";
}

}  // namespace cumulo
