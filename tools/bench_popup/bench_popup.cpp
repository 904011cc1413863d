// The yardsticks for the start-up benchmark: a bare popup window of the installer's size,
// shown as early as a program can show one.
//   bench_popup.exe [--dlls] [--text]
// --dlls first loads the libraries the installer imports statically, to tell their loading
// apart from the installer's own work; --text paints one line in the installer's font.
// bench_popup_styled.exe is the same program with the installer's manifest (common
// controls 6, DPI awareness): with both options it is the least any window of the
// installer's kind costs, before any work of its own.
#include <windows.h>

#include <cwchar>

namespace {

// The installer's static import table (objdump -p of the release), less kernel32 and msvcrt.
const wchar_t* const kInstallerDlls[] = {
    L"advapi32.dll", L"comctl32.dll", L"gdi32.dll", L"rpcrt4.dll", L"shell32.dll", L"user32.dll",
};

bool g_paintText = false;

void PaintText(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc == nullptr) return;
  HFONT font =
      CreateFontW(-30, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Segoe UI");
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const wchar_t text[] = L"Install the Cumulo client";
  TextOutW(dc, 80, 200, text, static_cast<int>(wcslen(text)));
  SelectObject(dc, old);
  DeleteObject(font);
  EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT && g_paintText) {
    PaintText(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  if (wcsstr(commandLine, L"--dlls") != nullptr) {
    for (const wchar_t* dll : kInstallerDlls) LoadLibraryW(dll);
  }
  g_paintText = wcsstr(commandLine, L"--text") != nullptr;
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"BenchPopup";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, L"Bench Popup", WS_POPUP, 100,
                                100, 1080, 680, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
