#include "base/url_port.h"

namespace cumulo {

namespace {
bool EndsAuthority(wchar_t c) { return c == L'/' || c == L'?' || c == L'#'; }
}  // namespace

bool NamesPort(const std::wstring& afterHost, uint16_t port) {
  if (afterHost.empty() || afterHost[0] != L':') return true;
  uint32_t value = 0;
  size_t at = 1;
  for (; at < afterHost.size() && afterHost[at] >= L'0' && afterHost[at] <= L'9'; ++at) {
    value = value * 10 + static_cast<uint32_t>(afterHost[at] - L'0');
    if (value > 65535) return false;
  }
  if (at < afterHost.size() && !EndsAuthority(afterHost[at])) return false;
  return at == 1 || value == port;
}

}  // namespace cumulo
