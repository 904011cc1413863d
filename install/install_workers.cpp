#include "install/install_workers.h"

#include <system_error>
#include <utility>

namespace cumulo {

InstallWorkers::InstallWorkers(ThreadFactory factory) : factory_(std::move(factory)) {}

InstallWorkers::~InstallWorkers() { WaitAll(); }

std::thread InstallWorkers::DefaultThreadFactory(std::function<void()> work) {
  return std::thread(std::move(work));
}

bool InstallWorkers::Start(InstallJob job, std::function<void(const InstallJob&)> procedure) {
  std::shared_ptr<InstallProgress> progress = job.progress;
  std::thread thread;
  try {
    thread = factory_([job = std::move(job), procedure = std::move(procedure)] { procedure(job); });
  } catch (const std::system_error&) {
    // Without a worker no result would come, and the window would wait for ever.
    InstallResult result;
    result.outcome = InstallOutcome::DownloadFailed;
    if (progress) progress->Finished(std::move(result));
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
