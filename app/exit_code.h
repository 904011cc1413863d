#pragma once
// What the process's exit code says happened.

namespace cumulo {

enum class ExitCode : int {
  Installed = 0,       // the installation succeeded and the client was started
  Closed = 1,          // the user closed the window (after a failure, or before installing)
  AlreadyRunning = 2,  // another installer holds the single-instance lock
  SystemRefused = 3,   // the processor or Windows version check refused, after its notice
  WindowFailed = 4,    // the window could not be created
};

}  // namespace cumulo
