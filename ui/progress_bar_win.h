#pragma once
// The thin rounded progress track with its blue fill.
#include <cstdint>

#include "win/subclassed_control.h"

namespace cumulo {

class ProgressBar : public SubclassedControl {
 public:
  void DrawItem(const DRAWITEMSTRUCT& item) override;

  int32_t position = 0;  // percent, 0..100

 protected:
  void PreSubclassWindow() override;
};

}  // namespace cumulo
