#pragma once
// The hover and pressed tracking that the window's buttons and captions share: mouse
// messages update the flags, then the control repaints in its own way; a change of the
// keyboard focus repaints it too, for its focus cue.
#include "ui/control_drawing.h"
#include "win/subclassed_control.h"

namespace cumulo {

class InteractiveControl : public SubclassedControl {
 protected:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Repaint() = 0;
  // Just before a left-button release is processed, with the flags not yet cleared.
  virtual void BeforeLeftButtonUp() {}

  PointerState pointer_;
};

}  // namespace cumulo
