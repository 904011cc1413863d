#include "ui/interactive_control_win.h"

#include <commctrl.h>

namespace cumulo {

std::optional<LRESULT> InteractiveControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (pointer_.OnMove()) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd();
        track.dwHoverTime = 0;
        _TrackMouseEvent(&track);
        Repaint();
      }
      return Default(message, wParam, lParam);
    case WM_LBUTTONDOWN: {
      pointer_.OnDown();
      const LRESULT result = Default(message, wParam, lParam);
      Repaint();
      return result;
    }
    case WM_LBUTTONUP: {
      BeforeLeftButtonUp();
      pointer_.OnUp();
      const LRESULT result = Default(message, wParam, lParam);
      Repaint();
      return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // The focus cue comes and goes with the keyboard focus.
      const LRESULT result = Default(message, wParam, lParam);
      Repaint();
      return result;
    }
    case WM_MOUSELEAVE: {
      pointer_.OnLeave();
      const LRESULT result = Default(message, wParam, lParam);
      Repaint();
      return result;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace cumulo
