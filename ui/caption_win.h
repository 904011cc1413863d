#pragma once
// A transparent text label; with an address it is a link that opens in the browser.
// Its font and colour come from the window's WM_CTLCOLOR handling. A link is pressed with
// a click or, when it has the keyboard focus, with Space (the window handles Enter).
#include <string>

#include "ui/interactive_control_win.h"

namespace cumulo {

class Caption : public InteractiveControl {
 public:
  std::wstring linkAddress;  // empty for a plain label

 protected:
  void PreSubclassWindow() override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Repaint() override;
  void BeforeLeftButtonUp() override;

 private:
  void OpenLink();

  HCURSOR handCursor_ = nullptr;
  bool spaceDown_ = false;
};

}  // namespace cumulo
