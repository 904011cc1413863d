#pragma once
// The fonts the window's texts are drawn with, made in one place so that measuring a
// text and drawing it use the same face and size.
#include <windows.h>

#include "ui/window_layout.h"
#include "win/unique_handle.h"

namespace cumulo {

// The font of a text control: "Segoe UI" at the control's line height, which grows with
// the display only on Windows 8 and later; underlined as the link's focus cue.
ScopedGdiObject CreateTextFont(Control control, int scale, bool windows8OrLater,
                               bool underline = false);
// The Install button's caption font.
ScopedGdiObject CreateInstallCaptionFont(int scale, bool windows8OrLater, bool underline);

}  // namespace cumulo
