#include "ui/display_scale_win.h"

#include "ui/window_layout.h"
#include "win/gdi_scope.h"

namespace cumulo {

int DisplayScale(HDC dc) { return DisplayScaleFromDpi(GetDeviceCaps(dc, LOGPIXELSX)); }

int DisplayScaleOfWindow(HWND window) {
  ScopedWindowDc dc(window);
  return DisplayScale(dc.Get());
}

int DisplayScaleOfScreen() { return DisplayScaleOfWindow(nullptr); }

}  // namespace cumulo
