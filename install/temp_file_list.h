#pragma once
// Files the install procedure must not leave behind: deleted in insertion order when the
// list goes out of scope, by any path.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/journal_writer.h"
#include "net/metric_sender.h"

namespace cumulo {

// Deletes one file; on failure gives the thread's error code.
using FileDeleter = std::function<bool(const std::wstring& path, uint32_t& error)>;

class TempFileList {
 public:
  TempFileList(std::shared_ptr<MetricSender> metricSender, FileDeleter deleter,
               JournalWriter journal = WriteToProcessJournal);
  ~TempFileList();
  TempFileList(const TempFileList&) = delete;
  TempFileList& operator=(const TempFileList&) = delete;

  void Add(std::wstring path);

 private:
  std::shared_ptr<MetricSender> metricSender_;
  FileDeleter deleter_;
  JournalWriter journal_;
  std::vector<std::wstring> paths_;
};

}  // namespace cumulo
