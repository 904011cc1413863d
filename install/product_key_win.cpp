#include "install/product_key_win.h"

#include <utility>

namespace cumulo {

static_assert(kRegistrySuccess == ERROR_SUCCESS);
static_assert(kRegistryFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kRegistryNotFound == ERROR_NOT_FOUND);

namespace {
// No KEY_WOW64_ flag: HKEY_CURRENT_USER\Software is one key for 32- and 64-bit programs,
// so the installer under WOW64 and the setup package meet in the same place.
REGSAM AccessOf(ProductKeyRights rights) {
  switch (rights) {
    case ProductKeyRights::QueryValue:
      return KEY_QUERY_VALUE;
    case ProductKeyRights::Read:
      return KEY_READ;
    case ProductKeyRights::AllAccess:
      break;
  }
  return KEY_ALL_ACCESS;
}
}  // namespace

uint32_t SystemProductKey::Open(ProductKeyRights rights) {
  return static_cast<uint32_t>(key_.Open(HKEY_CURRENT_USER, kProductKeyPath, AccessOf(rights)));
}

uint32_t SystemProductKey::Create(ProductKeyRights rights) {
  return static_cast<uint32_t>(key_.Create(HKEY_CURRENT_USER, kProductKeyPath, AccessOf(rights)));
}

void SystemProductKey::Close() { key_.Close(); }

ProductKeyText SystemProductKey::ReadText(const wchar_t* name, size_t bufferUnits) {
  ProductKeyText result;
  RegistryText value;
  result.status = static_cast<uint32_t>(key_.ReadText(name, bufferUnits, value));
  if (result.status != ERROR_SUCCESS) return result;
  result.type = value.type;
  result.text = std::move(value.text);
  result.terminated = value.terminated;
  return result;
}

uint32_t SystemProductKey::WriteText(const wchar_t* name, const std::wstring& value) {
  return static_cast<uint32_t>(key_.WriteText(name, value));
}

uint32_t SystemProductKey::DeleteValue(const wchar_t* name) {
  return static_cast<uint32_t>(key_.DeleteValue(name));
}

}  // namespace cumulo
