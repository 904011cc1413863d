#pragma once
// What the user hears about failures: the system-check notices, the run outcomes and
// the unexpected-error texts, in English and Russian.
#include <cstdint>
#include <string>

#include "install/install_outcome.h"
#include "ui/ui_language.h"

namespace cumulo {

enum class Notice { Cpu, Version, ServicePack };
const wchar_t* NoticeText(Notice notice, Language language);

// The Russian unexpected-error text has two forms: the outcome message box uses the
// first, the error dialog the second. English has one.
enum class UnexpectedForm { Message, Dialog };
std::wstring UnexpectedErrorText(Language language, UnexpectedForm form);

// How the window answers a final outcome of an installation run.
struct OutcomeReport {
  bool closeWindow = false;  // Succeeded: close, nothing logged or shown
  std::wstring journalLine;  // level E
  std::wstring message;      // for ReportFailure
};
OutcomeReport OutcomeReportFor(InstallOutcome outcome, Language language);

// The label of the error dialog's button that opens the setup log.
const wchar_t* JournalButtonText(Language language);

}  // namespace cumulo
