// Stands in for the installed Cumulo client in tests (built as Cumulo.exe). It records how it
// was started and shows the top-level window the installer looks for. Behaviour comes from
// the environment:
//   CUMULO_STANDIN_DIR          folder for the records: client_cmdline.txt (the raw command
//                               line), client_argv.txt (argv as the C runtime parses it, one per
//                               line), client_starts.txt (one line per start),
//                               client_cwd.txt (the current folder it was started in)
//   CUMULO_CLIENT_MODE          normal: the window closes on WM_CLOSE;
//                               ignore_close: WM_CLOSE is ignored;
//                               exit_at_once, never_appear: ends at once, without a window.
//                               Under wine the process is still listed right after its start,
//                               so to the installer it is a client that appears and dies; the
//                               setup stand-in makes a client that never appears (see there)
//   CUMULO_CLIENT_LIFETIME_MS   ends on its own after this long (default 300000), so that no
//                               test leaves it behind for ever
#include <windows.h>

#include <cwchar>
#include <string>

#include "../stand_in_common/stand_in_records.h"

namespace {

constexpr wchar_t kTitle[] = L"E2DCED31-32EB-406B-BCA8-38879C45600D-HDJK6678HBHCAVGL667";
constexpr UINT_PTR kLifetimeTimer = 1;
bool ignoreClose = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      AppendRecord(L"client_events.txt", ignoreClose ? L"close ignored" : L"close");
      if (ignoreClose) return 0;
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wParam == kLifetimeTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RecordStart(int argc, wchar_t** argv) {
  const std::wstring dir = RecordDir();
  if (dir.empty()) return;
  WriteWhole(dir + L"client_cmdline.txt", Utf8(GetCommandLineW()), false);
  std::string lines;
  for (int i = 0; i < argc; ++i) lines += Utf8(argv[i]) + "\n";
  WriteWhole(dir + L"client_argv.txt", lines, false);
  wchar_t cwd[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, cwd);
  WriteWhole(dir + L"client_cwd.txt", Utf8(length <= MAX_PATH ? cwd : L"") + "\n", false);
  AppendRecord(L"client_starts.txt", std::to_wstring(GetCurrentProcessId()));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int argc = __argc;
  wchar_t** argv = __wargv;
  const std::wstring mode = EnvValue(L"CUMULO_CLIENT_MODE");
  RecordStart(argc, argv);
  if (mode == L"never_appear" || mode == L"exit_at_once") return 0;
  ignoreClose = mode == L"ignore_close";

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"CumuloStandInClient";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  HWND window = CreateWindowW(wc.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, 40, 40, 320, 120,
                              nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 2;
  ShowWindow(window, SW_SHOWNOACTIVATE);

  UINT lifetime = 300000;
  const std::wstring configured = EnvValue(L"CUMULO_CLIENT_LIFETIME_MS");
  if (!configured.empty())
    lifetime = static_cast<UINT>(std::wcstoul(configured.c_str(), nullptr, 10));
  SetTimer(window, kLifetimeTimer, lifetime, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
