#pragma once
// What the journal needs from the platform: an existence test and an append-mode
// open that other processes may share.
#include <cstdio>
#include <string>

namespace cumulo {

bool LogPathExists(const std::wstring& path);

// Append, binary, committed; null when the file cannot be opened.
FILE* OpenLogForAppend(const std::wstring& path);

}  // namespace cumulo
