#pragma once
// Fitting the window's texts to the font the system really gives: a text box keeps its
// designed place and size while its text fits; a box that is too small grows (sideways
// when it was drawn for one line, otherwise downwards, wrapping), and what lies below it
// in the column moves down just as far as it must.
#include <array>
#include <cstdint>

#include "ui/window_layout.h"

namespace cumulo {

struct TextSize {
  int32_t width, height;
};

// Measures a text control's text with the font it draws with, in window pixels.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Wrapped at word breaks within `width`; the width is the widest line, which is more
  // than `width` when one word alone is wider.
  virtual TextSize Wrapped(Control control, int32_t width) = 0;
  // On one line.
  virtual TextSize OneLine(Control control) = 0;
};

using Placements = std::array<PixelRect, kControlCount>;  // indexed by Control

// Boxes designed smaller than two of their lines hold one line.
bool IsOneLineBox(Control control);
bool IsTextControl(Control control);

// Every control's rectangle at `scale`, the text boxes fitted to their measured texts.
Placements FitLayout(int scale, TextMeasurer& measure);

}  // namespace cumulo
