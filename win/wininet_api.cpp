#include "win/wininet_api.h"

#include "win/system_library.h"

namespace cumulo {

const WinInetApi* WinInet() {
  static const WinInetApi* const api = []() -> const WinInetApi* {
    static WinInetApi a;
    HMODULE m = LoadSystemLibrary(L"wininet.dll");
    const bool bound = BindEntry(m, "InternetOpenW", a.InternetOpenW) &&
                       BindEntry(m, "InternetConnectW", a.InternetConnectW) &&
                       BindEntry(m, "InternetOpenUrlW", a.InternetOpenUrlW) &&
                       BindEntry(m, "InternetCrackUrlW", a.InternetCrackUrlW) &&
                       BindEntry(m, "InternetSetOptionW", a.InternetSetOptionW) &&
                       BindEntry(m, "InternetReadFile", a.InternetReadFile) &&
                       BindEntry(m, "InternetCloseHandle", a.InternetCloseHandle) &&
                       BindEntry(m, "HttpOpenRequestW", a.HttpOpenRequestW) &&
                       BindEntry(m, "HttpAddRequestHeadersW", a.HttpAddRequestHeadersW) &&
                       BindEntry(m, "HttpSendRequestW", a.HttpSendRequestW) &&
                       BindEntry(m, "HttpQueryInfoW", a.HttpQueryInfoW) &&
                       BindEntry(m, "InternetQueryOptionW", a.InternetQueryOptionW) &&
                       BindEntry(m, "InternetErrorDlg", a.InternetErrorDlg);
    return bound ? &a : nullptr;
  }();
  return api;
}

}  // namespace cumulo
