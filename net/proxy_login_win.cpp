#include "net/proxy_login_win.h"

#include <optional>
#include <vector>

#include "net/proxy_credentials.h"
#include "win/wininet_api.h"
#include "win/wininet_handle.h"

namespace cumulo {

namespace {
// Two resends at most: one with the stored login, one with what the prompt gave.
constexpr int kMostResends = 2;
// The 407 page is read away before the request goes again; a longer one is not waited for.
constexpr DWORD kMostDrainedBytes = 65536;

void ApplyLogin(HINTERNET request, const ProxyLogin& login) {
  const WinInetApi& api = *WinInet();
  api.InternetSetOptionW(request, INTERNET_OPTION_PROXY_USERNAME,
                         const_cast<wchar_t*>(login.user.c_str()),
                         static_cast<DWORD>(login.user.size() + 1));
  api.InternetSetOptionW(request, INTERNET_OPTION_PROXY_PASSWORD,
                         const_cast<wchar_t*>(login.password.c_str()),
                         static_cast<DWORD>(login.password.size() + 1));
}

std::optional<std::wstring> QueryText(HINTERNET request, DWORD option) {
  const WinInetApi& api = *WinInet();
  DWORD bytes = 0;
  api.InternetQueryOptionW(request, option, nullptr, &bytes);
  if (bytes == 0 || bytes > 65536) return std::nullopt;
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
  if (!api.InternetQueryOptionW(request, option, text.data(), &size)) return std::nullopt;
  return std::wstring(text.data());
}

// What the prompt left on the request: the user name and password that were typed.
std::optional<ProxyLogin> TypedLogin(HINTERNET request) {
  std::optional<std::wstring> user = QueryText(request, INTERNET_OPTION_PROXY_USERNAME);
  std::optional<std::wstring> password = QueryText(request, INTERNET_OPTION_PROXY_PASSWORD);
  if (!user || !password) return std::nullopt;
  return ProxyLogin{std::move(*user), std::move(*password)};
}

void Drain(HINTERNET request) {
  const WinInetApi& api = *WinInet();
  char buffer[4096];
  DWORD total = 0;
  DWORD read = 0;
  while (total < kMostDrainedBytes && api.InternetReadFile(request, buffer, sizeof buffer, &read) &&
         read != 0) {
    total += read;
  }
}
}  // namespace

bool OfferStoredProxyLogin(HINTERNET request) {
  const std::optional<ProxyLogin> login = ProcessProxyCredentials().Login();
  if (!login) return false;
  ApplyLogin(request, *login);
  return true;
}

uint32_t PassProxyChallenge(HINTERNET request, const std::wstring& headers, bool loginTried,
                            bool* promptedThisRun) {
  const WinInetApi& api = *WinInet();
  ProxyCredentials& store = ProcessProxyCredentials();
  for (int resend = 0; resend < kMostResends; ++resend) {
    const std::optional<ProxyLogin> login = store.Login();
    void* const owner = store.PromptOwner();
    const bool mayPrompt = promptedThisRun != nullptr && !*promptedThisRun && owner != nullptr;
    switch (NextProxyAuthStep(login.has_value(), loginTried, mayPrompt)) {
      case ProxyAuthStep::SendWithLogin:
        ApplyLogin(request, *login);
        break;
      case ProxyAuthStep::Prompt: {
        *promptedThisRun = true;
        // WinInet's own dialog for the proxy of this request; OK leaves the typed login on
        // the request and answers FORCE_RETRY. Cancel answers ERROR_CANCELLED (0 on wine).
        const DWORD answer = api.InternetErrorDlg(
            static_cast<HWND>(owner), request, ERROR_INTERNET_INCORRECT_PASSWORD,
            FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
                FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
            nullptr);
        if (answer != ERROR_INTERNET_FORCE_RETRY) return ERROR_CANCELLED;
        std::optional<ProxyLogin> typed = TypedLogin(request);
        if (!typed) return ERROR_INTERNET_INCORRECT_PASSWORD;
        store.SetLogin(*typed);
        ApplyLogin(request, *typed);
        break;
      }
      case ProxyAuthStep::GiveUp:
        return ERROR_INTERNET_INCORRECT_PASSWORD;
    }
    loginTried = true;
    Drain(request);
    const wchar_t* extra = headers.empty() ? nullptr : headers.c_str();
    if (!api.HttpSendRequestW(request, extra, static_cast<DWORD>(headers.size()), nullptr, 0)) {
      return GetLastError();
    }
    DWORD status = 0;
    if (!QueryHttpStatus(request, status) || status != HTTP_STATUS_PROXY_AUTH_REQ) return 0;
  }
  return ERROR_INTERNET_INCORRECT_PASSWORD;
}

}  // namespace cumulo
