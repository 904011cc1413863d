#pragma once
// dwmapi's DwmExtendFrameIntoClientArea, bound at run time (win/system_library); it exists
// from Windows Vista on.
#include <windows.h>

#include <dwmapi.h>

namespace cumulo {

using DwmExtendFrameFn = decltype(&::DwmExtendFrameIntoClientArea);

// Bound on the first call; null, for good, when dwmapi cannot give it. Its library stays
// loaded for the life of the process.
DwmExtendFrameFn DwmExtendFrameEntry();

}  // namespace cumulo
