#include <windows.h>

#include <ctime>
#include <utility>

#include "app/attribution_store.h"
#include "install/product_key.h"
#include "win/registry_key.h"

namespace cumulo {

namespace {
const wchar_t kInstallationIdName[] = L"installationId";
const wchar_t kUtmName[] = L"utm";
constexpr size_t kBufferUnits = 1024;  // 2048 bytes

// Every operation opens (and, when missing, creates) the key itself; nothing is cached.
LSTATUS OpenKey(REGSAM rights, RegistryKey& key) {
  return key.Create(HKEY_CURRENT_USER, kProductKeyPath, rights);
}

// Whatever bytes the value holds, read as UTF-16 text up to the first zero unit. A value
// that fills the whole buffer has no terminator; its 1024 units are taken as they are.
LSTATUS QueryText(const RegistryKey& key, const wchar_t* name, std::wstring& text) {
  RegistryText value;
  const LSTATUS status = key.ReadText(name, kBufferUnits, value);
  if (status == ERROR_SUCCESS) text = std::move(value.text);
  return status;
}

bool IsNotFound(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_NOT_FOUND;
}

// Failures are reported with the status the registry call returned: Reg* functions
// return their error and leave the thread's last error as an earlier call set it.
void Report(const std::shared_ptr<MetricSender>& sender, const wchar_t* name, LSTATUS status) {
  if (sender) sender->SendMetric(name, static_cast<int32_t>(status));
}
}  // namespace

std::wstring GenerateInstallationId() {
  const int64_t t =
      static_cast<int64_t>(_time64(nullptr)) + static_cast<int64_t>(GetTickCount() % 1000);
  return GenerateInstallationIdAt(t);
}

std::wstring LoadOrCreateInstallationId() {
  RegistryKey key;
  if (OpenKey(KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return std::wstring();
  std::wstring stored;
  const LSTATUS status = QueryText(key, kInstallationIdName, stored);
  // A stored value is used as it is, an empty one included.
  if (status == ERROR_SUCCESS) return stored;
  if (status != ERROR_FILE_NOT_FOUND) return std::wstring();
  const std::wstring id = GenerateInstallationId();
  if (key.WriteText(kInstallationIdName, id) != ERROR_SUCCESS) return std::wstring();
  return id;
}

std::wstring ReadUtm(std::shared_ptr<MetricSender> sender) {
  RegistryKey key;
  const LSTATUS opened = OpenKey(KEY_QUERY_VALUE, key);
  if (opened != ERROR_SUCCESS) {
    if (!IsNotFound(opened)) Report(sender, L"utm_fail_reg_open", opened);
    return std::wstring();
  }
  std::wstring utm;
  const LSTATUS status = QueryText(key, kUtmName, utm);
  key.Close();
  if (status == ERROR_SUCCESS) return utm;
  if (!IsNotFound(status)) Report(sender, L"utm_fail_reg_read", status);
  return std::wstring();
}

void WriteValue(const std::wstring& name, const std::wstring& value,
                std::shared_ptr<MetricSender> sender) {
  RegistryKey key;
  const LSTATUS opened = OpenKey(KEY_ALL_ACCESS, key);
  if (opened != ERROR_SUCCESS) {
    Report(sender, L"fail_reg_open", opened);
    return;
  }
  const LSTATUS status = key.WriteText(name.c_str(), value);
  key.Close();
  if (status != ERROR_SUCCESS) Report(sender, L"fail_reg_write", status);
}

void WriteUtm(const std::wstring& utm, std::shared_ptr<MetricSender> sender) {
  WriteValue(kUtmName, utm, std::move(sender));
}

void DeleteUtm(std::shared_ptr<MetricSender> sender) {
  RegistryKey key;
  const LSTATUS opened = OpenKey(KEY_ALL_ACCESS, key);
  if (opened != ERROR_SUCCESS) {
    Report(sender, L"utm_fail_reg_open", opened);
    return;
  }
  // Nothing to report when there was no value to remove.
  static_cast<void>(key.DeleteValue(kUtmName));
}

}  // namespace cumulo
