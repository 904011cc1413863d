#pragma once
// msimg32's AlphaBlend, bound at run time (win/system_library).
#include <windows.h>

namespace cumulo {

using AlphaBlendFn = decltype(&::AlphaBlend);

// Bound on the first call; null, for good, when msimg32 cannot give it. What would have
// been blended is then left undrawn.
AlphaBlendFn AlphaBlendEntry();

}  // namespace cumulo
