#pragma once
// Measures the window's text controls with the fonts they are drawn with.
#include <windows.h>

#include <array>
#include <string>

#include "ui/window_layout_fit.h"

namespace cumulo {

class WindowTextMeasurer : public TextMeasurer {
 public:
  // `controls` indexed by Control; the texts are the controls' window texts, except the
  // percent label's, which is measured at its widest, "100 %".
  WindowTextMeasurer(const std::array<HWND, kControlCount>& controls, int scale,
                     bool windows8OrLater);
  TextSize Wrapped(Control control, int32_t width) override;
  TextSize OneLine(Control control) override;

 private:
  TextSize Measure(Control control, int32_t width, UINT format);
  std::wstring TextOf(Control control) const;

  std::array<HWND, kControlCount> controls_;
  int scale_;
  bool windows8OrLater_;
};

}  // namespace cumulo
