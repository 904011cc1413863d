#pragma once
// The process's command line as a list of arguments (element 0 is the program path).
#include <string>
#include <vector>

namespace cumulo {

// Empty when the command line cannot be split (Windows builds).
std::vector<std::wstring> GetCommandLineArguments();

// The element after the first whole-string match of `option` that has one; empty otherwise.
std::wstring FindOptionValue(const std::vector<std::wstring>& args, const std::wstring& option,
                             bool* found = nullptr);

}  // namespace cumulo
