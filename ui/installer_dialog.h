#pragma once
// The installer's only main window.
#include <windows.h>

#include <memory>
#include <optional>

#include "install/auth_handoff.h"
#include "net/metric_sender.h"
#include "ui/ui_language.h"
#include "ui/window_view.h"

namespace cumulo {

class InstallerDialogImpl;

class InstallerDialog {
 public:
  InstallerDialog(std::shared_ptr<MetricSender> metricSender, const AuthHandoff& handoff,
                  Language language, HWND parent);
  ~InstallerDialog();
  // Runs the window until it closes; empty when it could not be created.
  std::optional<WindowEnd> DoModal();

 private:
  std::unique_ptr<InstallerDialogImpl> impl_;
};

}  // namespace cumulo
