#pragma once
// The installer's only main window.
#include <windows.h>

#include <memory>

#include "app/auth_handoff.h"
#include "net/metric_sender.h"

class InstallerDialogImpl;

class InstallerDialog {
 public:
  InstallerDialog(std::shared_ptr<MetricSender> metricSender, const AuthHandoff& handoff,
                  HWND parent);
  ~InstallerDialog();
  INT_PTR DoModal();

 private:
  std::unique_ptr<InstallerDialogImpl> impl_;
};
