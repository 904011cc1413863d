#pragma once
// The install worker: closes a running client, downloads and runs the setup package,
// starts the client, and publishes the outcome into the shared state.
#include <memory>

#include "install/install_shared.h"

namespace cumulo {

// Starts the worker thread. When it cannot be started, stores a failure outcome that the
// window reports as an unexpected error, and returns false.
bool StartInstallProcedure(std::shared_ptr<InstallShared> shared);

// Blocks until every worker started so far has finished; start-up calls it after the
// window has closed, so the process ends after the worker.
void WaitForInstallWorkers();

}  // namespace cumulo
