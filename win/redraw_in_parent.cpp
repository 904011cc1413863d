#include "win/redraw_in_parent.h"

namespace cumulo {

void RedrawInParent(HWND control) {
  HWND parent = GetParent(control);
  RECT rect;
  if (parent == nullptr || !GetWindowRect(control, &rect)) return;
  POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  ScreenToClient(parent, &corners[0]);
  ScreenToClient(parent, &corners[1]);
  rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  InvalidateRect(parent, &rect, TRUE);
}

}  // namespace cumulo
