#pragma once
// The WinInet entries the network code calls, bound at run time (win/system_library).
#include <windows.h>
#include <wininet.h>

namespace cumulo {

struct WinInetApi {
  decltype(&::InternetOpenW) InternetOpenW = nullptr;
  decltype(&::InternetConnectW) InternetConnectW = nullptr;
  decltype(&::InternetOpenUrlW) InternetOpenUrlW = nullptr;
  decltype(&::InternetCrackUrlW) InternetCrackUrlW = nullptr;
  decltype(&::InternetSetOptionW) InternetSetOptionW = nullptr;
  decltype(&::InternetReadFile) InternetReadFile = nullptr;
  decltype(&::InternetCloseHandle) InternetCloseHandle = nullptr;
  decltype(&::HttpOpenRequestW) HttpOpenRequestW = nullptr;
  decltype(&::HttpAddRequestHeadersW) HttpAddRequestHeadersW = nullptr;
  decltype(&::HttpSendRequestW) HttpSendRequestW = nullptr;
  decltype(&::HttpQueryInfoW) HttpQueryInfoW = nullptr;
  decltype(&::InternetQueryOptionW) InternetQueryOptionW = nullptr;
  decltype(&::InternetErrorDlg) InternetErrorDlg = nullptr;
};

// All of them, bound on the first call; null, for good, when any is missing. Every WinInet
// handle comes from here, so code holding one may use the table without checking again.
const WinInetApi* WinInet();

}  // namespace cumulo
