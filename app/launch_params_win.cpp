#include <windows.h>

#include "app/launch_params.h"
#include "base/command_line.h"

namespace cumulo {

LaunchParams ParseLaunchParams(std::shared_ptr<MetricSender> sender) {
  const std::vector<std::wstring> args = GetCommandLineArguments();
  // Read right after the arguments: it is what "err_read_container" reports.
  const DWORD lastError = GetLastError();
  return ParseLaunchParamsFrom(args, lastError, sender);
}

}  // namespace cumulo
