#pragma once
// The install worker: closes a running client, downloads and runs the setup package,
// starts the client, and reports its progress and its result through the job's sink.
#include "install/install_job.h"

namespace cumulo {

// Starts the worker thread. When it cannot be started, reports a failure that the window
// shows as an unexpected error, and returns false.
bool StartInstallProcedure(InstallJob job);

// Blocks until every worker started so far has finished; start-up calls it after the
// window has closed, so the process ends after the worker.
void WaitForInstallWorkers();

}  // namespace cumulo
