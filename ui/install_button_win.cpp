#include "ui/install_button_win.h"

#include "ui/display_scale_win.h"
#include "ui/focus_cue_win.h"
#include "ui/text_font_win.h"
#include "win/gdi_scope.h"

namespace cumulo {

void InstallButton::Repaint() { InvalidateRect(hwnd(), nullptr, TRUE); }

void InstallButton::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const int s = DisplayScale(dc);
  const COLORREF fill =
      InstallButtonFill(IsWindowEnabled(hwnd()) != FALSE, pointer_.hover, pointer_.pressed);
  ScopedSolidFill shape(dc, fill);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colors::kInstallCaption);
  // The keyboard's focus cue: the caption is underlined, in white like the caption.
  ScopedGdiObject font = CreateInstallCaptionFont(s, windows8OrLater_, ShowsFocusCue(item));
  ScopedSelectObject selectFont(dc, font.Get());

  const int corner = InstallButtonCorner(s);
  RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);

  SIZE text{};
  const int length = static_cast<int>(caption.size());
  GetTextExtentPoint32W(dc, caption.c_str(), length, &text);
  const Point at = InstallCaptionOrigin({r.left, r.top, r.right, r.bottom}, text.cx, text.cy);
  TextOutW(dc, at.x, at.y, caption.c_str(), length);
}

}  // namespace cumulo
