#include "ui/installer_dialog.h"

#include <utility>

#include "ui/installer_dialog_impl_win.h"

namespace cumulo {

InstallerDialog::InstallerDialog(std::shared_ptr<MetricSender> metricSender,
                                 const AuthHandoff& handoff, Language language, HWND parent)
    : impl_(std::make_unique<InstallerDialogImpl>(std::move(metricSender), handoff, language,
                                                  parent)) {}

InstallerDialog::~InstallerDialog() = default;

std::optional<WindowEnd> InstallerDialog::DoModal() {
  const INT_PTR result = impl_->DoModal();
  if (result < 0) return std::nullopt;
  return static_cast<WindowEnd>(result);
}

}  // namespace cumulo
