#pragma once
// A registry key owned for its scope: opened or created under a root, read and written
// by type, closed when it goes. Results are the registry's own status codes.
#include <windows.h>

#include <cstddef>
#include <string>

#include "win/unique_handle.h"

namespace cumulo {

// What a text read found: the value's type and its UTF-16 units up to the first zero.
struct RegistryText {
  DWORD type = REG_NONE;
  std::wstring text;
  bool terminated = false;  // a zero unit ended the text inside the buffer
};

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(RegistryKey&&) = default;
  RegistryKey& operator=(RegistryKey&&) = default;

  // An existing key only.
  [[nodiscard]] LSTATUS Open(HKEY root, const wchar_t* path, REGSAM rights);
  // The key, created (non-volatile) when it is missing.
  [[nodiscard]] LSTATUS Create(HKEY root, const wchar_t* path, REGSAM rights);
  void Close() { key_.Reset(); }
  bool IsOpen() const { return key_.IsValid(); }

  // Reads at most `bufferUnits` UTF-16 units of any value type; a larger value gives
  // ERROR_MORE_DATA. `out` is untouched on failure.
  [[nodiscard]] LSTATUS ReadText(const wchar_t* name, size_t bufferUnits, RegistryText& out) const;
  // Writes REG_SZ text (without its terminator, as the stored values always were).
  [[nodiscard]] LSTATUS WriteText(const wchar_t* name, const std::wstring& value) const;
  [[nodiscard]] LSTATUS DeleteValue(const wchar_t* name) const;

 private:
  ScopedRegKey key_;
};

}  // namespace cumulo
