#include "ui/installation_setup_error_dialog_win.h"

#include "res/resource.h"
#include "ui/failure_texts.h"
#include "ui/ui_language.h"
#include "ui/ui_texts.h"

namespace cumulo {

InstallationSetupErrorDialog::InstallationSetupErrorDialog(HWND parent, Language language)
    : Dialog(IDD_SETUP_ERROR, parent), language_(language) {}

void InstallationSetupErrorDialog::DoDataExchange() {
  (void)Bind(message_, IDC_ERROR_TEXT);
  (void)Bind(journalButton_, IDOK);
}

BOOL InstallationSetupErrorDialog::OnInitDialog() {
  (void)Dialog::OnInitDialog();
  SetWindowTextW(hwnd(), MessageCaption(language_));
  if (showJournal_) {
    SetWindowTextW(journalButton_.hwnd(), JournalButtonText(language_));
  } else {
    ShowWindow(journalButton_.hwnd(), SW_HIDE);
  }
  SetWindowTextW(message_.hwnd(), UnexpectedErrorText(language_, UnexpectedForm::Dialog).c_str());
  // OK, the default button, starts with the keyboard focus, so Enter deletes the log as
  // OK does; "Journal" comes first in the tab order and would take it otherwise.
  HWND ok = GetDlgItem(hwnd(), IDCANCEL);
  if (ok == nullptr) return TRUE;
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE);
  return FALSE;  // the focus is set
}

}  // namespace cumulo
