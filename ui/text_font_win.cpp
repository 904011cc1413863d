#include "ui/text_font_win.h"

#include "ui/control_drawing.h"

namespace cumulo {

namespace {
// Every attribute not named is zero, the character set included.
ScopedGdiObject SegoeUi(int height, int weight, bool underline) {
  return ScopedGdiObject(CreateFontW(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE,
                                     FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH, L"Segoe UI"));
}
}  // namespace

ScopedGdiObject CreateTextFont(Control control, int scale, bool windows8OrLater, bool underline) {
  return SegoeUi(ScaledFontHeight(LayoutOf(control).lineHeight, scale, windows8OrLater),
                 FW_DONTCARE, underline);
}

ScopedGdiObject CreateInstallCaptionFont(int scale, bool windows8OrLater, bool underline) {
  return SegoeUi(ScaledFontHeight(kInstallFontHeight, scale, windows8OrLater), FW_NORMAL,
                 underline);
}

}  // namespace cumulo
