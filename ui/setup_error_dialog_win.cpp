#include "ui/setup_error_dialog_win.h"

#include "res/resource.h"
#include "ui/failure_texts.h"
#include "ui/ui_language.h"
#include "ui/ui_texts.h"

InstallationSetupErrorDialog::InstallationSetupErrorDialog(HWND parent)
    : Dialog(IDD_SETUP_ERROR, parent) {}

void InstallationSetupErrorDialog::DoDataExchange() {
  (void)Bind(message_, IDC_ERROR_TEXT);
  (void)Bind(journalButton_, IDOK);
}

BOOL InstallationSetupErrorDialog::OnInitDialog() {
  const BOOL result = Dialog::OnInitDialog();
  const bool russian = RussianUi();
  SetWindowTextW(hwnd(), MessageCaption(russian));
  if (showJournal_) {
    SetWindowTextW(journalButton_.hwnd(), JournalButtonText(russian));
  } else {
    ShowWindow(journalButton_.hwnd(), SW_HIDE);
  }
  SetWindowTextW(message_.hwnd(), UnexpectedErrorText(russian, UnexpectedForm::Dialog).c_str());
  return result;
}
