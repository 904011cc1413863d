#pragma once
// Questions about the processes on the machine: the desktop's user, a running client,
// and closing it.
#include <functional>
#include <string>

namespace cumulo {

// Receives the probes' own failure texts; the installer discards them.
using DiagnosticSink = std::function<void(const std::string&)>;

bool IsSameUserAsExplorer(const DiagnosticSink& sink);
bool IsClientRunning();
// True when no client of the current user runs any more (or none ran).
bool CloseRunningClient();

}  // namespace cumulo
