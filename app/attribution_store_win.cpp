#include <windows.h>

#include <ctime>
#include <utility>

#include "app/attribution_store.h"
#include "win/unique_handle.h"

namespace {
const wchar_t kKeyPath[] = L"Software\\Aldervane\\Aldervane_Cumulo";
const wchar_t kInstallationIdName[] = L"installationId";
const wchar_t kUtmName[] = L"utm";
constexpr size_t kBufferUnits = 1024;  // 2048 bytes

// Every operation opens (and, when missing, creates) the key itself; nothing is cached.
LSTATUS OpenKey(REGSAM rights, ScopedRegKey& key) {
  return RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, rights,
                         nullptr, key.Receive(), nullptr);
}

// Whatever bytes the value holds, read as UTF-16 text up to the first zero unit. A value
// that fills the whole buffer has no terminator; its 1024 units are taken as they are.
LSTATUS QueryText(HKEY key, const wchar_t* name, std::wstring& text) {
  wchar_t buffer[kBufferUnits] = {};
  DWORD size = sizeof(buffer);
  const LSTATUS status =
      RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  if (status != ERROR_SUCCESS) return status;
  size_t length = 0;
  while (length < kBufferUnits && buffer[length] != L'\0') ++length;
  text.assign(buffer, length);
  return status;
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() * sizeof(wchar_t)));
}

bool IsNotFound(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_NOT_FOUND;
}

// Failures are reported with the thread's last-error code as it stands at that moment.
void Report(const std::shared_ptr<MetricSender>& sender, const wchar_t* name) {
  const DWORD error = GetLastError();
  if (sender) sender->SendMetric(name, static_cast<int32_t>(error));
}
}  // namespace

std::wstring GenerateInstallationId() {
  const int64_t t =
      static_cast<int64_t>(_time64(nullptr)) + static_cast<int64_t>(GetTickCount() % 1000);
  return GenerateInstallationIdAt(t);
}

std::wstring LoadOrCreateInstallationId() {
  ScopedRegKey key;
  if (OpenKey(KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return std::wstring();
  std::wstring stored;
  const LSTATUS status = QueryText(key.Get(), kInstallationIdName, stored);
  // A stored value is used as it is, an empty one included.
  if (status == ERROR_SUCCESS) return stored;
  if (status != ERROR_FILE_NOT_FOUND) return std::wstring();
  const std::wstring id = GenerateInstallationId();
  if (SetText(key.Get(), kInstallationIdName, id) != ERROR_SUCCESS) return std::wstring();
  return id;
}

std::wstring ReadUtm(std::shared_ptr<MetricSender> sender) {
  ScopedRegKey key;
  const LSTATUS opened = OpenKey(KEY_QUERY_VALUE, key);
  if (opened != ERROR_SUCCESS) {
    if (!IsNotFound(opened)) Report(sender, L"utm_fail_reg_open");
    return std::wstring();
  }
  std::wstring utm;
  const LSTATUS status = QueryText(key.Get(), kUtmName, utm);
  key.Reset();
  if (status == ERROR_SUCCESS) return utm;
  if (!IsNotFound(status)) Report(sender, L"utm_fail_reg_read");
  return std::wstring();
}

void WriteValue(const std::wstring& name, const std::wstring& value,
                std::shared_ptr<MetricSender> sender) {
  ScopedRegKey key;
  if (OpenKey(KEY_ALL_ACCESS, key) != ERROR_SUCCESS) {
    Report(sender, L"fail_reg_open");
    return;
  }
  const LSTATUS status = SetText(key.Get(), name.c_str(), value);
  key.Reset();
  if (status != ERROR_SUCCESS) Report(sender, L"fail_reg_write");
}

void WriteUtm(const std::wstring& utm, std::shared_ptr<MetricSender> sender) {
  WriteValue(kUtmName, utm, std::move(sender));
}

void DeleteUtm(std::shared_ptr<MetricSender> sender) {
  ScopedRegKey key;
  if (OpenKey(KEY_ALL_ACCESS, key) != ERROR_SUCCESS) {
    Report(sender, L"utm_fail_reg_open");
    return;
  }
  // Nothing to report when there was no value to remove.
  static_cast<void>(RegDeleteValueW(key.Get(), kUtmName));
}
