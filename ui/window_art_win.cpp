#include "ui/window_art_win.h"

#include "ui/control_drawing.h"
#include "ui/window_layout.h"
#include "win/alpha_blend.h"
#include "win/gdi_scope.h"
#include "win/unique_handle.h"

namespace cumulo {

void PaintWindowArt(HDC dc, const PngImage& background, const PngImage& logo, int scale,
                    bool windows8OrLater) {
  if (!background.IsLoaded()) return;
  const int s = scale;
  ScopedMemoryDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  ScopedSelectObject selectArt(memory.Get(), background.Bitmap());
  if (!windows8OrLater) {
    ScopedGdiObject pen(CreatePen(PS_SOLID, s, colors::kWindowBorder));
    ScopedSelectObject selectPen(memory.Get(), pen.Get());
    ScopedSelectObject selectBrush(memory.Get(), GetStockObject(NULL_BRUSH));
    Rectangle(memory.Get(), s / 2, s / 2, kWindowWidth * s, kWindowHeight * s);
  }
  BitBlt(dc, 0, 0, kWindowWidth * s, kWindowHeight * s, memory.Get(), 0, 0, SRCCOPY);
  const AlphaBlendFn alphaBlend = AlphaBlendEntry();
  if (logo.IsLoaded() && alphaBlend != nullptr) {
    ScopedSelectObject selectLogo(memory.Get(), logo.Bitmap());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    alphaBlend(dc, kLogoX * s, kLogoY * s, kLogoWidth * s, kLogoHeight * s, memory.Get(), 0, 0,
               logo.Width(), logo.Height(), blend);
  }
}

}  // namespace cumulo
