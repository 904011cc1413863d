#pragma once
// The 1-or-2 display scale of a device context (its horizontal density).
#include <windows.h>

namespace cumulo {

int DisplayScale(HDC dc);
int DisplayScaleOfWindow(HWND window);
// The screen's, before any window exists; a DPI-aware window has the same.
int DisplayScaleOfScreen();

}  // namespace cumulo
