#pragma once
// What the process's exit code says happened.
#include <optional>

#include "ui/window_view.h"

namespace cumulo {

enum class ExitCode : int {
  Installed = 0,         // the setup succeeded and a client process was seen running
  Closed = 1,            // the user closed the window (after a failure, or before installing)
  AlreadyRunning = 2,    // another installer holds the single-instance lock
  SystemRefused = 3,     // the processor or Windows version check refused, after its notice
  WindowFailed = 4,      // the window could not be created
  ClientNotStarted = 5,  // the setup succeeded, but the client did not start
};

// The code for how the window ended; no end at all means it could not be created.
ExitCode ExitCodeFor(const std::optional<WindowEnd>& end);

}  // namespace cumulo
