#pragma once
// The install workers of the process: started one per installation, never stopped,
// waited for once the window has closed so that the process ends after them.
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "install/install_job.h"

namespace cumulo {

// Makes a thread for `work`; throws std::system_error when none can be made, as
// std::thread does. Tests give one that fails.
using ThreadFactory = std::function<std::thread(std::function<void()> work)>;

class InstallWorkers {
 public:
  explicit InstallWorkers(ThreadFactory factory = DefaultThreadFactory);
  ~InstallWorkers();  // waits, like WaitAll
  InstallWorkers(const InstallWorkers&) = delete;
  InstallWorkers& operator=(const InstallWorkers&) = delete;

  // Runs `procedure` on a new thread with its own copy of `job`. When no thread can be
  // made, reports InstallOutcome::DownloadFailed (an unexpected error for the window) and
  // returns false.
  [[nodiscard]] bool Start(InstallJob job, std::function<void(const InstallJob&)> procedure);
  void WaitAll();

  static std::thread DefaultThreadFactory(std::function<void()> work);

 private:
  ThreadFactory factory_;
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};

}  // namespace cumulo
