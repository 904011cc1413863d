#pragma once
// Small helpers for the Windows tier: child processes, files, paths.
#include <windows.h>

#include <string>

namespace cumulo {

namespace wintest {

// Runs a command line, waits at most timeoutMs, returns the exit code (or -1) and the
// child's standard output in `output` when given.
int Run(const std::wstring& commandLine, std::string* output = nullptr, DWORD timeoutMs = 60000);

// Folder of this test program ("...\tests\") and of the tool programs ("...\tools\").
std::wstring ThisFolder();
std::wstring ToolPath(const std::wstring& name);
// The setup stand-in as the session signed it ("signed.exe", "unsigned.exe", "tampered.exe",
// "other.exe"), in <build>\test-session\packages.
std::wstring PackagePath(const std::wstring& name);

// A new empty folder under the temporary folder, with a trailing backslash.
std::wstring MakeTempFolder(const std::wstring& prefix);

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

std::wstring Env(const wchar_t* name);

}  // namespace wintest

}  // namespace cumulo
