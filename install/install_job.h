#pragma once
// What one installation starts with; the job holds its own copy for as long as it runs.
#include <memory>

#include "install/auth_handoff.h"
#include "install/install_progress.h"
#include "net/metric_sender.h"

namespace cumulo {

struct InstallJob {
  AuthHandoff handoff;
  std::shared_ptr<MetricSender> metricSender;  // never null
  std::shared_ptr<InstallProgress> progress;   // may be null: nobody takes the result
};

}  // namespace cumulo
