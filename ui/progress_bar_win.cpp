#include "ui/progress_bar_win.h"

#include "ui/control_drawing.h"
#include "ui/display_scale_win.h"
#include "win/gdi_scope.h"

namespace cumulo {

void ProgressBar::PreSubclassWindow() {
  // The system asks an owner-drawn static to draw itself.
  SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) | SS_OWNERDRAW);
}

void ProgressBar::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const int corner = RoundPlateCorner(DisplayScale(dc));
  SetBkMode(dc, TRANSPARENT);
  const ProgressPlan plan = PlanProgress({r.left, r.top, r.right, r.bottom}, position);
  if (plan.track) {
    ScopedSolidFill shape(dc, colors::kProgressTrack);
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
  }
  if (plan.fill) {
    ScopedSolidFill shape(dc, colors::kProgressFill);
    RoundRect(dc, plan.fill->left, plan.fill->top, plan.fill->right, plan.fill->bottom, corner,
              corner);
  }
}

}  // namespace cumulo
