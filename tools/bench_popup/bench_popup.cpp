// The yardstick for the start-up benchmark: a bare popup window of the installer's size,
// shown as early as a program can show one. With --dlls it first loads the libraries the
// installer imports, to tell their loading apart from the installer's own work.
//   bench_popup.exe [--dlls]
#include <windows.h>

#include <cwchar>

namespace {

// The installer's import table (objdump -p of the release), less kernel32 and msvcrt.
const wchar_t* const kInstallerDlls[] = {
    L"advapi32.dll", L"comctl32.dll", L"crypt32.dll", L"gdi32.dll",   L"msimg32.dll",
    L"ole32.dll",    L"rpcrt4.dll",   L"shell32.dll", L"shlwapi.dll", L"user32.dll",
    L"wininet.dll",  L"wintrust.dll",
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"BenchPopup";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, L"Bench Popup", WS_POPUP,
                                100, 100, 1080, 680, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
