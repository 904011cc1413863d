#pragma once
// Shared by the stand-in setup package and the stand-in client: environment reading and
// the record files the tests read back (UTF-8, one entry per line).
#include <windows.h>

#include <string>

inline std::wstring EnvValue(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  if (n == 0 || n >= 32768) return {};
  return std::wstring(buffer, n);
}

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

inline bool WriteWhole(const std::wstring& path, const std::string& bytes, bool append) {
  HANDLE f =
      CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}

inline std::string ReadWhole(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(f, buffer, sizeof(buffer), &n, nullptr) && n > 0) out.append(buffer, n);
  CloseHandle(f);
  return out;
}

// The folder named by CUMULO_STANDIN_DIR, with a trailing backslash; empty when unset.
inline std::wstring RecordDir() {
  std::wstring dir = EnvValue(L"CUMULO_STANDIN_DIR");
  if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
  return dir;
}

inline void AppendRecord(const wchar_t* file, const std::wstring& line) {
  const std::wstring dir = RecordDir();
  if (!dir.empty()) WriteWhole(dir + file, Utf8(line) + "\n", true);
}
