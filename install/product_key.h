#pragma once
// The product's per-user registry key under HKEY_CURRENT_USER: the setup package writes
// InstallPath there, the installer keeps its identifier and attribution values there.
#include <cstddef>
#include <cstdint>
#include <string>

namespace cumulo {

inline constexpr wchar_t kProductKeyPath[] = L"Software\\Aldervane\\Aldervane_Cumulo";

// Registry statuses (LSTATUS) that the decisions about the key look at.
inline constexpr uint32_t kRegistrySuccess = 0;       // ERROR_SUCCESS
inline constexpr uint32_t kRegistryFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr uint32_t kRegistryNotFound = 1168;   // ERROR_NOT_FOUND

// The rights one use of the key asks for.
enum class ProductKeyRights {
  QueryValue,  // KEY_QUERY_VALUE
  Read,        // KEY_READ
  AllAccess,   // KEY_ALL_ACCESS
};

// One value read as text: the registry call's status and, when it is kRegistrySuccess,
// what the value held.
struct ProductKeyText {
  uint32_t status = kRegistrySuccess;
  uint32_t type = 0;        // the value's registry type, REG_NONE when unread
  std::wstring text;        // UTF-16 units up to the first zero unit
  bool terminated = false;  // a zero unit ended the text inside the buffer
};

// The key as each use opens it, works on it and closes it again: nothing stays open from
// one use to the next. Every call returns the registry's own status, which Reg* functions
// return instead of setting the thread's last error.
class ProductKey {
 public:
  virtual ~ProductKey() = default;
  // The existing key only.
  [[nodiscard]] virtual uint32_t Open(ProductKeyRights rights) = 0;
  // The key, created (non-volatile) when it is missing.
  [[nodiscard]] virtual uint32_t Create(ProductKeyRights rights) = 0;
  virtual void Close() = 0;
  // At most `bufferUnits` UTF-16 units of a value of any type; a larger value gives
  // ERROR_MORE_DATA.
  [[nodiscard]] virtual ProductKeyText ReadText(const wchar_t* name, size_t bufferUnits) = 0;
  // REG_SZ text without its terminator, as the stored values always were.
  [[nodiscard]] virtual uint32_t WriteText(const wchar_t* name, const std::wstring& value) = 0;
  [[nodiscard]] virtual uint32_t DeleteValue(const wchar_t* name) = 0;
};

}  // namespace cumulo
