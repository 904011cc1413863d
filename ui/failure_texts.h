#pragma once
// What the user hears about failures: the system-check notices, the run outcomes and
// the unexpected-error texts, in English and Russian.
#include <cstdint>
#include <string>

enum class Notice { Cpu, Version, ServicePack };
const wchar_t* NoticeText(Notice notice, bool russian);

// The Russian unexpected-error text has two forms: the outcome message box uses the
// first, the error dialog the second. English has one.
enum class UnexpectedForm { Message, Dialog };
std::wstring UnexpectedErrorText(bool russian, UnexpectedForm form);

// How the window answers a final outcome of an installation run.
struct OutcomeReport {
  bool closeWindow = false;  // Succeeded: close, nothing logged or shown
  std::wstring journalLine;  // level E
  std::wstring message;      // for ReportFailure
};
OutcomeReport OutcomeReportFor(int32_t outcome, bool russian);

// The label of the error dialog's button that opens the setup log.
const wchar_t* JournalButtonText(bool russian);
