#pragma once
// A portable model of how CommandLineToArgvW splits a command line, for checking the
// command lines we compose. tests/windows/argv_model_wintest.cpp holds it against the
// real function under wine.
#include <string>
#include <vector>

namespace cumulo::fuzz {

inline bool IsArgvBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

inline std::vector<std::wstring> SplitLikeCommandLineToArgvW(const std::wstring& line) {
  std::vector<std::wstring> args;
  size_t i = 0;
  const size_t n = line.size();
  // The program path has rules of its own: up to the next quote when it starts with
  // one, otherwise up to the first blank; backslashes mean nothing in it.
  std::wstring program;
  if (i < n && line[i] == L'"') {
    ++i;
    while (i < n && line[i] != L'"') program += line[i++];
    if (i < n) ++i;
  } else {
    while (i < n && !IsArgvBlank(line[i])) program += line[i++];
  }
  args.push_back(program);
  while (i < n && IsArgvBlank(line[i])) ++i;
  if (i == n) return args;

  std::wstring arg;
  size_t backslashes = 0;
  // 0 outside quotes, 1 inside; a run of quotes counts on as described below.
  int quotes = 0;
  while (i < n) {
    const wchar_t c = line[i];
    if (IsArgvBlank(c) && quotes == 0) {
      args.push_back(arg);
      arg.clear();
      backslashes = 0;
      while (i < n && IsArgvBlank(line[i])) ++i;
      if (i == n) return args;
      continue;
    }
    if (c == L'\\') {
      arg += c;
      ++backslashes;
      ++i;
      continue;
    }
    if (c != L'"') {
      arg += c;
      backslashes = 0;
      ++i;
      continue;
    }
    // 2n backslashes and a quote: n backslashes, and the quote opens or closes;
    // 2n+1 backslashes and a quote: n backslashes and a literal quote.
    arg.resize(arg.size() - (backslashes + 1) / 2);
    if (backslashes % 2 == 0) {
      ++quotes;
    } else {
      arg += L'"';
    }
    ++i;
    backslashes = 0;
    // Further quotes straight after: every third one (counting the opening and this one)
    // is a literal quote and ends the quoted part; two close it.
    while (i < n && line[i] == L'"') {
      if (++quotes == 3) {
        arg += L'"';
        quotes = 0;
      }
      ++i;
    }
    if (quotes == 2) quotes = 0;
  }
  args.push_back(arg);
  return args;
}

}  // namespace cumulo::fuzz
