#pragma once
// The window's art: the background with the logo blended over it, and on Windows 7 the
// one-pixel border that the missing system frame would have drawn.
#include <windows.h>

#include "win/png_image.h"

namespace cumulo {

// Draws into the window's paint DC at the display scale `scale`; nothing without a
// background. A logo that cannot be blended is left undrawn.
void PaintWindowArt(HDC dc, const PngImage& background, const PngImage& logo, int scale,
                    bool windows8OrLater);

}  // namespace cumulo
