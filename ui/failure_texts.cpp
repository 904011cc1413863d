#include "ui/failure_texts.h"

#include "build_config.h"
#include "install/install_outcome.h"

const wchar_t* NoticeText(Notice notice, bool russian) {
  switch (notice) {
    case Notice::Cpu:
      return russian ? L"Кумуло не поддерживается для данной архитектуры процессора.\r\n"
                       L"Продолжение установки невозможно."
                     : L"Cumulo is not supported on current hardware.\r\n"
                       L"Installation cannot proceed.";
    case Notice::Version:
      return russian ? L"Для работы Кумуло: требуется Windows 7 с Service Pack 1 или выше.\r\n"
                       L"Пожалуйста, обновите вашу операционную систему."
                     : L"Cumulo requires Windows 7, Service Pack 1 or later.\r\n"
                       L"Please update your operating system.";
    case Notice::ServicePack:
      return russian ? L"Для работы Кумуло требуется Windows 7 с Service Pack 1 или выше.\r\n"
                       L"Пожалуйста установите обновление Service Pack 1."
                     : L"Cumulo requires Windows 7, Service Pack 1 or later.\r\n"
                       L"Please install a Service Pack 1 update.";
  }
  return L"";
}

std::wstring UnexpectedErrorText(bool russian, UnexpectedForm form) {
  const wchar_t* head;
  const wchar_t* tail;
  if (!russian) {
    head = L"An unexpected error occurred during Cumulo: installation.\r\nPlease try to run the "
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

OutcomeReport OutcomeReportFor(int32_t outcome, bool russian) {
  OutcomeReport r;
  switch (outcome) {
    case Succeeded:
      r.closeWindow = true;
      return r;
    case SetupFailed:
      r.journalLine = L"Offline Cumulo Installer failed.";
      r.message = russian ? L"Не удалось установить компонент Кумуло."
                          : L"Could not install a Cumulo: component";
      return r;
    case ClientStillRunning:
      r.journalLine = L"Cumulo application is already running.";
      r.message = russian ? L"Пожалуйста, закройте приложение Кумуло и повторите установку."
                          : L"Please close the running Cumulo applications and try again.";
      return r;
    case NoDiskSpace:
      r.journalLine = L"Not enough disk space.";
      r.message = russian ? L"Недостаточно места на системном диске. Пожалуйста, освободите "
                            L"место и повторите установку."
                          : L"Not enough disk space. Please clean up and try again.";
      return r;
    default:
      r.journalLine = L"Unknown error occuried.";
      r.message = UnexpectedErrorText(russian, UnexpectedForm::Message);
      return r;
  }
}

const wchar_t* JournalButtonText(bool russian) { return russian ? L"Журнал" : L"Journal"; }
