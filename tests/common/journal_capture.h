#pragma once
// Reads the journal lines a test produced. The process-wide journal opens its file at
// the first write, so a test program points it at a file of its own before any test
// runs (TestJournalEnvironment) and each test reads what was appended since it began.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/journal.h"
#include "base/wide_text.h"

namespace cumulo {

inline std::string JournalFileName() {
#ifdef _WIN32
  // Narrow paths go through the ANSI code page; temporary paths here are ASCII.
  return NarrowLow8(LogFilePath());
#else
  return Utf8FromWide(LogFilePath());
#endif
}

class TestJournalEnvironment : public ::testing::Environment {
 public:
  explicit TestJournalEnvironment(std::wstring path) : path_(std::move(path)) {}
  void SetUp() override {
    // Another environment of the same program may have chosen the file already.
    if (LogFilePath().empty()) {
      LogFilePath() = path_;
      owned_ = true;
      std::remove(JournalFileName().c_str());  // start each run with an empty journal
    }
    if (LogChannelName().empty()) LogChannelName() = L"tests";
    InstallLog::Instance();
  }
  // Leaves no journal behind; the journal keeps its file open, so on Windows this may fail
  // and the next run's SetUp starts it afresh.
  void TearDown() override {
    if (owned_) std::remove(JournalFileName().c_str());
  }

 private:
  std::wstring path_;
  bool owned_ = false;
};

class JournalCapture {
 public:
  JournalCapture() : start_(Content().size()) {}

  // Lines appended since construction, without the level, time and channel prefix.
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    const std::string text = Content();
    std::istringstream lines(text.size() > start_ ? text.substr(start_) : std::string());
    std::string line;
    while (std::getline(lines, line)) {
      const auto at = line.find(" ] ");
      out.push_back(at == std::string::npos ? line : line.substr(at + 3));
    }
    return out;
  }

  // Lines appended since construction, whole.
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    const std::string text = Content();
    std::istringstream lines(text.size() > start_ ? text.substr(start_) : std::string());
    std::string line;
    while (std::getline(lines, line)) out.push_back(line);
    return out;
  }

  size_t Count(const std::string& message) const {
    size_t n = 0;
    for (const auto& m : Messages()) n += m == message;
    return n;
  }

 private:
  static std::string Content() {
    std::ifstream in(JournalFileName(), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
  }

  size_t start_;
};

}  // namespace cumulo
