#include "win/registry_key.h"

#include <cwchar>
#include <vector>

namespace cumulo {

LSTATUS RegistryKey::Open(HKEY root, const wchar_t* path, REGSAM rights) {
  return RegOpenKeyExW(root, path, 0, rights, key_.Receive());
}

LSTATUS RegistryKey::Create(HKEY root, const wchar_t* path, REGSAM rights) {
  return RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, rights, nullptr,
                         key_.Receive(), nullptr);
}

LSTATUS RegistryKey::ReadText(const wchar_t* name, size_t bufferUnits, RegistryText& out) const {
  std::vector<wchar_t> buffer(bufferUnits, L'\0');
  DWORD type = REG_NONE;
  DWORD size = static_cast<DWORD>(bufferUnits * sizeof(wchar_t));
  const LSTATUS status = RegQueryValueExW(key_.Get(), name, nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (status != ERROR_SUCCESS) return status;
  // The bytes as they are, whatever the type says; the caller decides what counts.
  const size_t length = wcsnlen(buffer.data(), buffer.size());
  out.type = type;
  out.text.assign(buffer.data(), length);
  out.terminated = length < buffer.size();
  return status;
}

LSTATUS RegistryKey::WriteText(const wchar_t* name, const std::wstring& value) const {
  return RegSetValueExW(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() * sizeof(wchar_t)));
}

LSTATUS RegistryKey::DeleteValue(const wchar_t* name) const {
  return RegDeleteValueW(key_.Get(), name);
}

}  // namespace cumulo
