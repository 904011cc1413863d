#include "ui/caption_win.h"

#include <shellapi.h>

#include "win/redraw_in_parent.h"

namespace cumulo {

void Caption::PreSubclassWindow() {
  handCursor_ = LoadCursorW(nullptr, IDC_HAND);
  // Without SS_NOTIFY a static is transparent to the mouse.
  SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) | SS_NOTIFY);
  // Without a font of its own the static draws with the one the window selects into its
  // device context when asked for colours; the template's font would override that.
  SendMessageW(hwnd(), WM_SETFONT, 0, FALSE);
}

std::optional<LRESULT> Caption::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_SETCURSOR:
      if (!linkAddress.empty()) SetCursor(handCursor_);
      return TRUE;
    case WM_KEYDOWN:
      // Space presses a link as a button is pressed: down, then up on the same control.
      if (wParam == VK_SPACE && !linkAddress.empty()) spaceDown_ = true;
      return Default(message, wParam, lParam);
    case WM_KEYUP:
      if (wParam == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        OpenLink();
      }
      return Default(message, wParam, lParam);
    case WM_KILLFOCUS:
      spaceDown_ = false;
      return InteractiveControl::OnMessage(message, wParam, lParam);
    default:
      return InteractiveControl::OnMessage(message, wParam, lParam);
  }
}

void Caption::Repaint() { RedrawInParent(hwnd()); }

void Caption::BeforeLeftButtonUp() {
  // Only a press and release both on the caption: leaving it clears `pressed`.
  if (pointer_.pressed) OpenLink();
}

void Caption::OpenLink() {
  if (linkAddress.empty()) return;
  ShellExecuteW(nullptr, nullptr, linkAddress.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace cumulo
