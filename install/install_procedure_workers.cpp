#include "install/install_procedure_workers.h"

#include <system_error>
#include <utility>

namespace cumulo {

InstallWorkers::InstallWorkers(ThreadFactory factory) : factory_(std::move(factory)) {}

InstallWorkers::~InstallWorkers() { WaitAll(); }

std::thread InstallWorkers::DefaultThreadFactory(std::function<void()> work) {
  return std::thread(std::move(work));
}

bool InstallWorkers::Start(std::shared_ptr<InstallShared> shared,
                           std::function<void(InstallShared&)> procedure) {
  std::thread thread;
  try {
    thread = factory_([shared, procedure = std::move(procedure)] { procedure(*shared); });
  } catch (const std::system_error&) {
    // Without a worker the outcome would stay InstallOutcome::Running and the window would wait for ever.
    shared->installOutcome.exchange(InstallOutcome::DownloadFailed);
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  threads_.push_back(std::move(thread));
  return true;
}

void InstallWorkers::WaitAll() {
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    threads.swap(threads_);
  }
  for (auto& t : threads) {
    if (t.joinable()) t.join();
  }
}

}  // namespace cumulo
