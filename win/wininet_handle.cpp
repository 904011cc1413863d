#include "win/wininet_handle.h"

#include <vector>

#include "base/url_port.h"

namespace cumulo {

DWORD OpenInternetSession(const std::wstring& agent, ScopedInternetSession& session) {
  const WinInetApi* api = WinInet();
  if (api == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return ERROR_MOD_NOT_FOUND;
  }
  HINTERNET h =
      api->InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (h == nullptr) return GetLastError();
  session.Reset(h);
  return 0;
}

bool CrackUrl(const std::wstring& url, CrackedUrl& out) {
  const WinInetApi* api = WinInet();
  if (api == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return false;
  }
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  // Non-zero lengths with null buffers ask for pointers into `url`.
  parts.dwSchemeLength = 1;
  parts.dwHostNameLength = 1;
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (!api->InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
  if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) return false;
  // WinInet folds a port out of range into one (99999 comes back as 34463).
  if (!NamesPort(parts.lpszHostName + parts.dwHostNameLength, parts.nPort)) return false;
  CrackedUrl cracked;
  cracked.server.assign(parts.lpszHostName, parts.dwHostNameLength);
  cracked.port = parts.nPort;
  if (parts.lpszUrlPath != nullptr) cracked.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo != nullptr) {
    cracked.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  }
  if (cracked.object.empty() || cracked.object[0] != L'/') cracked.object.insert(0, L"/");
  out = std::move(cracked);
  return true;
}

bool QueryHttpStatus(HINTERNET request, DWORD& status) {
  const WinInetApi* api = WinInet();
  if (api == nullptr) return false;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!api->HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                           nullptr)) {
    return false;
  }
  status = value;
  return true;
}

bool QueryHttpRawHeaders(HINTERNET request, std::wstring& block) {
  const WinInetApi* api = WinInet();
  if (api == nullptr) return false;
  DWORD bytes = 0;
  api->HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &bytes, nullptr);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return false;
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
  bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (!api->HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &bytes, nullptr)) {
    return false;
  }
  block.assign(buffer.data(), bytes / sizeof(wchar_t));
  return true;
}

}  // namespace cumulo
