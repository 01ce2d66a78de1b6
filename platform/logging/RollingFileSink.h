#pragma once

#include <spdlog/sinks/base_sink.h>

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// The log file: "<prefix>-<UTC start time>.log" files in one folder. The current file is
// replaced by a new one once it is `rollingFrequency` seconds old on the platform clock (or
// has reached `maximumFileSize`); only `maximumNumberOfLogFiles` older files are kept. The
// time a file started is in its name, so the next process picks up the same file.
//
// Every line is written with one write(2), so lines are in the file (and survive a crash of
// the process) as soon as the logging thread has handled them. A file that cannot be opened,
// or that was deleted while open, is created again at the next line.
class RollingFileSink final : public spdlog::sinks::base_sink<std::mutex> {
 public:
  struct Options {
    std::string directory;
    std::string prefix = "Velquarin";
    double rollingFrequency = 86400;
    std::size_t maximumFileSize = 8 * 1024 * 1024;
    std::size_t maximumNumberOfLogFiles = 1;
  };

  explicit RollingFileSink(Options options);
  ~RollingFileSink() override;
  RollingFileSink(const RollingFileSink&) = delete;
  RollingFileSink& operator=(const RollingFileSink&) = delete;

  const Options& options() const { return options_; }
  std::optional<std::string> currentPath();
  // The folder's log files of this sink, oldest first.
  std::vector<std::string> logFiles() const;

  // The start time a file name carries (seconds since the epoch), for names of this sink.
  std::optional<double> startTimeOf(const std::string& fileName) const;
  std::string fileNameFor(double startTime) const;

 protected:
  void sink_it_(const spdlog::details::log_msg& message) override;
  void flush_() override {}

 private:
  struct Candidate {
    double start;
    std::string path;
  };

  bool ensureOpen(double now);
  bool openPath(const std::string& path, double start);
  bool openFresh(double now);
  std::vector<Candidate> candidates() const;
  void prune();
  void closeFile();
  void reportFailure(const std::string& what, int error);

  Options options_;
  int fd_ = -1;
  std::string path_;
  double start_ = 0;
  std::size_t size_ = 0;
  bool failing_ = false;
};

}  // namespace velquarin::platform
