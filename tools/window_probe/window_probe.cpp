// Prints what a screen reader and a keyboard user find in a window of another process,
// and how much room the installer window's texts need with the fonts the system gives:
//   window_probe <window title>
// One line for the window, one for the focused control, one per child control:
//   window w=<width> h=<height>
//   focus id=<control id, 0 for none>
//   control id=<id> visible=<0|1> enabled=<0|1> tabstop=<0|1> x= y= w= h= text=<UTF-16 hex>
//     [need=<width>x<height>]   (the text measured as the installer draws it)
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/system_environment.h"
#include "ui/text_font_win.h"
#include "ui/window_layout.h"
#include "win/gdi_scope.h"

using namespace cumulo;

namespace {

struct Probe {
  HWND window;
  int scale;
  bool windows8OrLater;
};

std::wstring TextOf(HWND control) {
  // WM_GETTEXT is carried across processes; GetWindowTextW would not ask the control.
  std::vector<wchar_t> buffer(1024);
  const LRESULT length =
      SendMessageW(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::wstring(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

std::string Hex(const std::wstring& text) {
  std::string out;
  char unit[8];
  for (wchar_t c : text) {
    std::snprintf(unit, sizeof(unit), "%04x", static_cast<unsigned>(c));
    out += unit;
  }
  return out;
}

bool ControlOfId(int id, Control* control) {
  for (Control c : kControlsInOrder) {
    if (ControlResourceId(c) == id) {
      *control = c;
      return true;
    }
  }
  return false;
}

// The room the text needs: wrapped at the box's width as the static draws it, on one
// line for the percent label and the Install caption.
bool Measure(const Probe& probe, int id, const std::wstring& text, int width, SIZE* need) {
  Control c;
  if (!ControlOfId(id, &c) || text.empty()) return false;
  ScopedGdiObject font;
  UINT format = DT_LEFT | DT_EXPANDTABS | DT_CALCRECT;
  if (c == Control::InstallButton) {
    font = CreateInstallCaptionFont(probe.scale, probe.windows8OrLater, false);
    format |= DT_SINGLELINE;
  } else if (LayoutOf(c).lineHeight > 0) {
    font = CreateTextFont(c, probe.scale, probe.windows8OrLater);
    format |= c == Control::PercentLabel ? DT_SINGLELINE : DT_WORDBREAK;
  } else {
    return false;
  }
  ScopedWindowDc dc(nullptr);
  ScopedSelectObject select(dc.Get(), font.Get());
  RECT r{0, 0, width, 0};
  DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r, format);
  *need = {r.right - r.left, r.bottom - r.top};
  return true;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM context) {
  const Probe& probe = *reinterpret_cast<const Probe*>(context);
  if (GetParent(control) != probe.window) return TRUE;
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, probe.window, reinterpret_cast<POINT*>(&r), 2);
  const int id = GetDlgCtrlID(control);
  const std::wstring text = TextOf(control);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  std::printf("control id=%d visible=%d enabled=%d tabstop=%d x=%ld y=%ld w=%ld h=%ld text=%s", id,
              IsWindowVisible(control) ? 1 : 0, IsWindowEnabled(control) ? 1 : 0,
              (style & WS_TABSTOP) != 0 ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
              Hex(text).c_str());
  SIZE need;
  if (Measure(probe, id, text, r.right - r.left, &need)) {
    std::printf(" need=%ldx%ld", need.cx, need.cy);
  }
  std::printf("\n");
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_probe <window title>\n");
    return 2;
  }
  HWND window = FindWindowW(nullptr, argv[1]);
  if (window == nullptr) return 1;
  RECT client;
  GetClientRect(window, &client);
  Probe probe{window, client.right - client.left >= 2 * kWindowWidth ? 2 : 1, IsWindows8OrLater()};
  std::printf("window w=%ld h=%ld\n", client.right - client.left, client.bottom - client.top);
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  HWND focus = GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
  std::printf("focus id=%d\n", focus != nullptr ? GetDlgCtrlID(focus) : 0);
  EnumChildWindows(window, PrintControl, reinterpret_cast<LPARAM>(&probe));
  return 0;
}
