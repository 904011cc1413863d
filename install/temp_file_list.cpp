#include "install/temp_file_list.h"

#include <utility>

namespace cumulo {

TempFileList::TempFileList(std::shared_ptr<MetricSender> metricSender, FileDeleter deleter,
                           JournalWriter journal)
    : metricSender_(std::move(metricSender)),
      deleter_(std::move(deleter)),
      journal_(std::move(journal)) {}

TempFileList::~TempFileList() {
  for (const auto& path : paths_) {
    uint32_t error = 0;
    if (deleter_(path, error)) continue;
    journal_(L"Failed delete file: " + path, LogLevel::Error);
    metricSender_->SendMetric(L"error_del_temp", static_cast<int32_t>(error));
  }
}

void TempFileList::Add(std::wstring path) { paths_.push_back(std::move(path)); }

}  // namespace cumulo
