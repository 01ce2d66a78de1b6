#pragma once

// libcurl's multi-socket interface on the main loop: one watch per socket curl asks for,
// one main-queue timer for curl's time-outs, everything on the main thread. Internal to
// platform/http.

#include <curl/curl.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "http/CurlHandles.h"
#include "runloop/FdWatch.h"
#include "runloop/MainQueue.h"

namespace velquarin::platform::http {

class CurlTransfer;

class Engine {
 public:
  static Engine& shared();

  // Runs `work` (which may call curl) and then what follows every curl call: finished
  // transfers are settled, the timer re-armed, and queued events delivered, at once when
  // `deliver` is true, otherwise from the main queue. Re-entrant calls are deferred.
  void perform(std::function<void()> work, bool deliver);

  // Inside perform(): hand an easy handle to curl or take it back.
  bool add(const std::shared_ptr<CurlTransfer>& transfer);
  void remove(CurlTransfer& transfer);

  // An easy handle from the pool or a new one with the options every transfer shares; and
  // back, as the transfer left it.
  CurlEasy takeEasy();
  void returnEasy(CurlEasy easy);

  // A transfer has events to deliver.
  void markDirty(const std::shared_ptr<CurlTransfer>& transfer);
  // A transfer began or delivered its last event: the loop is held while any is in flight.
  void transferBegan();
  void transferEnded();
  std::size_t inFlight() const { return inFlight_; }

  // Inside perform(): a running transfer times out at `deadline` (platform clock) unless
  // bytes move; one main-queue timer serves every transfer.
  void watchIdleDeadline(double deadline);

  // Set on every easy handle: curl closes its sockets through this.
  static int onCloseSocket(void*, curl_socket_t socket);

  std::size_t bodySizeOverride() const { return bodySizeOverride_; }
  void setBodySizeOverride(std::size_t bytes) { bodySizeOverride_ = bytes; }

 private:
  Engine();
  static int onSocket(CURL* easy, curl_socket_t socket, int what, void* engine, void*);
  static int onTimer(CURLM* multi, long timeoutMs, void* engine);
  void socketReady(curl_socket_t socket, unsigned events);
  void timerFired(std::uint64_t generation);
  void sweepIdle();
  void settleFinished();
  void updateTimer();
  void deliver();
  void scheduleDelivery();
  void updateKeepAlive();
  // Once nothing has run for a while, the kept receive buffers go back to malloc.
  void dropBuffersWhenIdle();

  CurlMulti multi_;
  struct Socket {
    std::unique_ptr<FdWatch> watch;
    bool parked = false;  // curl has no transfer on it now
  };
  std::map<curl_socket_t, Socket> sockets_;
  std::map<CURL*, std::shared_ptr<CurlTransfer>> running_;
  std::vector<std::shared_ptr<CurlTransfer>> dirty_;
  std::vector<CurlEasy> pool_;
  int depth_ = 0;
  bool timerDirty_ = false;
  TimerId timer_ = 0;
  double timerDeadline_ = 0;
  std::uint64_t timerGeneration_ = 0;
  bool immediatePending_ = false;
  TimerId idleTimer_ = 0;
  TimerId buffersTimer_ = 0;
  double idleDeadline_ = 0;
  bool deliveryScheduled_ = false;
  std::size_t inFlight_ = 0;
  std::optional<MainQueue::KeepAlive> keepAlive_;
  bool socketsHoldLoop_ = false;
  std::size_t bodySizeOverride_ = 0;
};

}  // namespace velquarin::platform::http
