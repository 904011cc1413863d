#pragma once
// Transparent controls draw over their parent's art: a change of such a control must
// repaint the parent beneath it.
#include <windows.h>

namespace cumulo {

// Invalidates the control's rectangle in its parent, with background erase.
void RedrawInParent(HWND control);

}  // namespace cumulo
