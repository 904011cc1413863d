#pragma once
// What the install worker reports while it runs. The window implements it; the worker
// never learns what a window is.
#include <cstdint>

namespace cumulo {

class InstallProgress {
 public:
  virtual ~InstallProgress() = default;
  // Called on the worker thread for each block of a download whose total is known.
  virtual void DownloadProgress(uint32_t received, uint32_t total) = 0;
};

}  // namespace cumulo
