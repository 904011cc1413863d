#pragma once
// The product key in the current user's registry.
#include "install/product_key.h"
#include "win/registry_key.h"

namespace cumulo {

class SystemProductKey : public ProductKey {
 public:
  SystemProductKey() = default;
  SystemProductKey(const SystemProductKey&) = delete;
  SystemProductKey& operator=(const SystemProductKey&) = delete;

  [[nodiscard]] uint32_t Open(ProductKeyRights rights) override;
  [[nodiscard]] uint32_t Create(ProductKeyRights rights) override;
  void Close() override;
  [[nodiscard]] ProductKeyText ReadText(const wchar_t* name, size_t bufferUnits) override;
  [[nodiscard]] uint32_t WriteText(const wchar_t* name, const std::wstring& value) override;
  [[nodiscard]] uint32_t DeleteValue(const wchar_t* name) override;

 private:
  RegistryKey key_;
};

}  // namespace cumulo
