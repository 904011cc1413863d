#include "app/attribution_store.h"

#include <utility>

namespace cumulo {

namespace {
const wchar_t kInstallationIdName[] = L"installationId";
const wchar_t kUtmName[] = L"utm";
constexpr size_t kBufferUnits = 1024;  // 2048 bytes

// Closes the key on every way out of an operation.
class KeyUse {
 public:
  explicit KeyUse(ProductKey& key) : key_(key) {}
  ~KeyUse() { key_.Close(); }
  KeyUse(const KeyUse&) = delete;
  KeyUse& operator=(const KeyUse&) = delete;

 private:
  ProductKey& key_;
};

bool IsNotFound(uint32_t status) {
  return status == kRegistryFileNotFound || status == kRegistryNotFound;
}

void Report(const std::shared_ptr<MetricSender>& sender, const wchar_t* name, uint32_t status) {
  if (sender) sender->SendMetric(name, static_cast<int32_t>(status));
}
}  // namespace

std::wstring LoadOrCreateInstallationId(ProductKey& key, InstallationIdGenerator generate) {
  const KeyUse use(key);
  if (key.Create(ProductKeyRights::AllAccess) != kRegistrySuccess) return std::wstring();
  // Whatever bytes the value holds, read as text; a value that fills the whole buffer has
  // no terminator and its 1024 units are taken as they are.
  ProductKeyText stored = key.ReadText(kInstallationIdName, kBufferUnits);
  // A stored value is used as it is, an empty one included.
  if (stored.status == kRegistrySuccess) return std::move(stored.text);
  if (stored.status != kRegistryFileNotFound) return std::wstring();
  const std::wstring id = generate();
  if (key.WriteText(kInstallationIdName, id) != kRegistrySuccess) return std::wstring();
  return id;
}

std::wstring ReadUtm(ProductKey& key, std::shared_ptr<MetricSender> sender) {
  const KeyUse use(key);
  const uint32_t opened = key.Create(ProductKeyRights::QueryValue);
  if (opened != kRegistrySuccess) {
    if (!IsNotFound(opened)) Report(sender, L"utm_fail_reg_open", opened);
    return std::wstring();
  }
  ProductKeyText utm = key.ReadText(kUtmName, kBufferUnits);
  key.Close();
  if (utm.status == kRegistrySuccess) return std::move(utm.text);
  if (!IsNotFound(utm.status)) Report(sender, L"utm_fail_reg_read", utm.status);
  return std::wstring();
}

void WriteValue(ProductKey& key, const std::wstring& name, const std::wstring& value,
                std::shared_ptr<MetricSender> sender) {
  const KeyUse use(key);
  const uint32_t opened = key.Create(ProductKeyRights::AllAccess);
  if (opened != kRegistrySuccess) {
    Report(sender, L"fail_reg_open", opened);
    return;
  }
  const uint32_t status = key.WriteText(name.c_str(), value);
  key.Close();
  if (status != kRegistrySuccess) Report(sender, L"fail_reg_write", status);
}

void WriteUtm(ProductKey& key, const std::wstring& utm, std::shared_ptr<MetricSender> sender) {
  WriteValue(key, kUtmName, utm, std::move(sender));
}

void DeleteUtm(ProductKey& key, std::shared_ptr<MetricSender> sender) {
  const KeyUse use(key);
  const uint32_t opened = key.Create(ProductKeyRights::AllAccess);
  if (opened != kRegistrySuccess) {
    Report(sender, L"utm_fail_reg_open", opened);
    return;
  }
  // Nothing to report when there was no value to remove.
  static_cast<void>(key.DeleteValue(kUtmName));
}

}  // namespace cumulo
