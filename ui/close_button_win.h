#pragma once
// The close "X" in the top right corner, with a rounded plate under the pointer.
#include "ui/interactive_control_win.h"
#include "win/png_image.h"

namespace cumulo {

class CloseButton : public InteractiveControl {
 public:
  void DrawItem(const DRAWITEMSTRUCT& item) override;

 protected:
  void Repaint() override;

 private:
  PngImage glyph_;
  int glyphScale_ = -1;  // the scale the glyph was loaded for
};

}  // namespace cumulo
