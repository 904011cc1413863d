#include "ui/installer_dialog.h"

#include <utility>

#include "ui/installer_dialog_impl_win.h"

InstallerDialog::InstallerDialog(std::shared_ptr<MetricSender> metricSender,
                                 const AuthHandoff& handoff, HWND parent)
    : impl_(std::make_unique<InstallerDialogImpl>(std::move(metricSender), handoff, parent)) {}

InstallerDialog::~InstallerDialog() = default;

INT_PTR InstallerDialog::DoModal() { return impl_->DoModal(); }
