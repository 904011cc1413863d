#pragma once
// The dialog after a failed setup run: the unexpected-error text and a button that
// opens the setup log. DoModal gives 1 for "Journal" and 2 for OK, Escape or the close box.
#include "ui/ui_language.h"
#include "win/dialog.h"
#include "win/subclassed_control.h"

namespace cumulo {

class InstallationSetupErrorDialog : public Dialog {
 public:
  InstallationSetupErrorDialog(HWND parent, Language language);

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;

 private:
  SubclassedControl message_;
  SubclassedControl journalButton_;
  const Language language_;
  bool showJournal_ = true;
};

}  // namespace cumulo
