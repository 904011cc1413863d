#pragma once
// The portable half of the process probes: name matching and the close-request schedule.
#include <cstdint>
#include <functional>
#include <string>

#include "base/wide_text.h"  // LowerAsciiLetters

namespace cumulo {

// The client's main window title, its only handle for a close request.
extern const wchar_t kClientWindowTitle[];

// Whole-name equality with "cumulo.exe", whatever the case of the letters.
bool IsClientImageName(const std::wstring& exeFile);
// True when the lowered image name contains `filter` (which is given lower-case).
bool ImageNameMatchesFilter(const std::wstring& imageName, const std::wstring& filter);
// The part after the last backslash, or the whole text when there is none.
std::wstring FileNamePart(const std::wstring& path);

// What the close schedule needs from the machine; tests give fakes.
struct CloseClientSteps {
  std::function<bool()> isClientRunning;
  std::function<void()> requestClose;  // one close request to the client's window, if any
  std::function<void(uint32_t milliseconds)> sleep;
};

constexpr uint32_t kCloseRequestPauseMs = 500;
constexpr uint32_t kCloseBudgetMs = 5000;

// True when no client runs (any more); false when one still runs when the budget is spent.
bool CloseClientWithinBudget(const CloseClientSteps& steps);

}  // namespace cumulo
