#pragma once
// The rounded blue Install button with its caption drawn in white.
#include <string>

#include "ui/interactive_control_win.h"

namespace cumulo {

class InstallButton : public InteractiveControl {
 public:
  explicit InstallButton(bool windows8OrLater) : windows8OrLater_(windows8OrLater) {}
  void DrawItem(const DRAWITEMSTRUCT& item) override;

  std::wstring caption;

 protected:
  void Repaint() override;

 private:
  bool windows8OrLater_;
};

}  // namespace cumulo
