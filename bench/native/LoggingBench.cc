// Side by side in one process: the module's logging (ZQ_LOG_INFO through ZqFormat to the
// console and the rolling file) and a bare spdlog asynchronous logger with the same sinks
// (console and file) and queue. Prints JSON: per-round main-thread nanoseconds per line and
// lines per second until the file has them all.
#include <spdlog/async_logger.h>
#include <spdlog/details/thread_pool.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_color_sinks.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Utilities/ZqLog.h"
#include "logging/Log.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts what the peer's logging thread has written, so the peer can be waited for too.
class CountingSink final : public spdlog::sinks::sink {
 public:
  void log(const spdlog::details::log_msg&) override { count.fetch_add(1); }
  void flush() override {}
  void set_pattern(const std::string&) override {}
  void set_formatter(std::unique_ptr<spdlog::formatter>) override {}
  std::atomic<std::size_t> count{0};
};

double nanosPerLine(Clock::time_point start, Clock::time_point end, int lines) {
  return std::chrono::duration<double, std::nano>(end - start).count() / lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [rounds] [burst] [volume]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;
  const int burst = argc > 3 ? std::atoi(argv[3]) : 2000;  // below the queue size: no waiting
  const int volume = argc > 4 ? std::atoi(argv[4]) : 100000;

  velquarin::platform::Log::addFileLogger(folder + "/module");

  auto pool = std::make_shared<spdlog::details::thread_pool>(8192, 1);
  auto counter = std::make_shared<CountingSink>();
  auto console = std::make_shared<spdlog::sinks::stderr_color_sink_mt>();
  auto file = std::make_shared<spdlog::sinks::basic_file_sink_mt>(folder + "/peer/peer.log");
  auto peer = std::make_shared<spdlog::async_logger>(
      "peer", spdlog::sinks_init_list{console, file, counter}, pool);
  peer->set_pattern("%Y-%m-%d %H:%M:%S.%e [%l] %s:%# %! [%P %t] %v");
  peer->set_level(spdlog::level::trace);
  std::size_t peerExpected = 0;
  auto waitForPeer = [&] {
    while (counter->count.load() < peerExpected)
      std::this_thread::sleep_for(std::chrono::microseconds(50));
  };

  const std::string account = "someone@example.com";
  std::vector<double> module, bare;
  for (int round = 0; round < rounds + 1; ++round) {  // round 0 warms up
    auto start = Clock::now();
    for (int i = 0; i < burst; ++i) ZQ_LOG_INFO("Fetched %@ for account %d", account, i);
    auto end = Clock::now();
    ZqFlushLog(30);
    if (round) module.push_back(nanosPerLine(start, end, burst));

    start = Clock::now();
    for (int i = 0; i < burst; ++i) {
      peer->log(spdlog::source_loc{__FILE__, __LINE__, __func__}, spdlog::level::info,
                "Fetched {} for account {}", account, i);
    }
    end = Clock::now();
    peerExpected += burst;
    waitForPeer();
    if (round) bare.push_back(nanosPerLine(start, end, burst));
  }

  auto start = Clock::now();
  for (int i = 0; i < volume; ++i) ZQ_LOG_INFO("Fetched %@ for account %d", account, i);
  ZqFlushLog(60);
  const double moduleRate = volume / std::chrono::duration<double>(Clock::now() - start).count();

  start = Clock::now();
  for (int i = 0; i < volume; ++i) {
    peer->log(spdlog::source_loc{__FILE__, __LINE__, __func__}, spdlog::level::info,
              "Fetched {} for account {}", account, i);
  }
  peerExpected += volume;
  waitForPeer();
  file->flush();
  const double bareRate = volume / std::chrono::duration<double>(Clock::now() - start).count();

  std::printf("{\"module\":[");
  for (std::size_t i = 0; i < module.size(); ++i) std::printf("%s%.1f", i ? "," : "", module[i]);
  std::printf("],\"bare\":[");
  for (std::size_t i = 0; i < bare.size(); ++i) std::printf("%s%.1f", i ? "," : "", bare[i]);
  std::printf("],\"moduleLinesPerSecond\":%.0f,\"bareLinesPerSecond\":%.0f}\n", moduleRate,
              bareRate);
  std::fflush(stdout);
  std::_Exit(0);  // the loggers' threads are left as they are
}
