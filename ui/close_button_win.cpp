#include "ui/close_button_win.h"

#include <optional>

#include "ui/display_scale_win.h"
#include "ui/focus_cue_win.h"
#include "win/alpha_blend.h"
#include "win/gdi_scope.h"
#include "win/redraw_in_parent.h"

namespace cumulo {

void CloseButton::Repaint() { RedrawInParent(hwnd()); }

void CloseButton::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const int s = DisplayScale(dc);
  if (s != glyphScale_) {
    glyphScale_ = s;
    glyph_.Release();
  }
  if (!glyph_.IsLoaded() &&
      !glyph_.LoadFromResource(GetModuleHandleW(nullptr), CloseGlyphResource(glyphScale_))) {
    return;
  }
  SetBkMode(dc, TRANSPARENT);
  ScopedMemoryDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  ScopedSelectObject selectGlyph(memory.Get(), glyph_.Bitmap());

  const bool focusCue = ShowsFocusCue(item);
  if (auto plate = ClosePlateColor(pointer_.hover, pointer_.pressed, focusCue)) {
    ScopedSolidFill shape(dc, *plate);
    const int corner = RoundPlateCorner(glyphScale_);
    ScopedGdiObject outline;
    std::optional<ScopedSelectObject> selectOutline;
    if (focusCue) {
      outline = ScopedGdiObject(CreatePen(PS_INSIDEFRAME, glyphScale_, colors::kFocusOutline));
      selectOutline.emplace(dc, outline.Get());
    }
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
  }
  const int size = kCloseGlyphSize * glyphScale_;
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const AlphaBlendFn alphaBlend = AlphaBlendEntry();
  if (alphaBlend == nullptr) return;
  alphaBlend(dc, r.left, r.top, size, size, memory.Get(), 0, 0, size, size, blend);
}

}  // namespace cumulo
