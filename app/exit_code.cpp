#include "app/exit_code.h"

namespace cumulo {

ExitCode ExitCodeFor(const std::optional<WindowEnd>& end) {
  if (!end) return ExitCode::WindowFailed;
  switch (*end) {
    case WindowEnd::Installed:
      return ExitCode::Installed;
    case WindowEnd::InstalledClientNotStarted:
      return ExitCode::ClientNotStarted;
    case WindowEnd::Refused:
      return ExitCode::SystemRefused;
    case WindowEnd::Closed:
      break;
  }
  // Any other value (a dialog result nobody set) counts as the user's close.
  return ExitCode::Closed;
}

}  // namespace cumulo
