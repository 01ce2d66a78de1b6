#include "http/HTTPEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <unistd.h>

#include "http/CurlTransfer.h"
#include "http/ReceiveBuffers.h"
#include "runloop/Clock.h"

namespace velquarin::platform::http {
namespace {

// Idle easy handles kept for the next transfers (their buffers and shared options are reused).
constexpr std::size_t kPooledHandles = 64;
// Idle connections curl keeps for reuse. Its default follows the number of handles added at
// the moment, which drops to a few between one batch of transfers and the next: connections
// would be closed and opened again.
constexpr long kCachedConnections = 256;
// Kept receive buffers go once no transfer has run for this long.
constexpr double kKeepBuffersSeconds = 1.0;

// Runs `task` on the main thread once the loop's current I/O callbacks are done (or from
// the main queue where the loop cannot say).
void atTurnEnd(std::function<void()> task) {
  auto driver = MainQueue::shared().driver();
  if (!driver || !driver->atTurnEnd(task)) MainQueue::shared().async(std::move(task));
}

}  // namespace

Engine& Engine::shared() {
  // Never destroyed: transfers may still settle while the process exits.
  static Engine* engine = new Engine();
  return *engine;
}

Engine::Engine() {
  if (!CurlLibrary::get()) return;  // no multi handle: every transfer fails at its start
  if (!ReceiveBuffers::initialiseCurl()) return;
  multi_.reset(curl().multi_init());
  if (!multi_) return;
  curl().multi_setopt(multi_.get(), CURLMOPT_SOCKETFUNCTION, &Engine::onSocket);
  curl().multi_setopt(multi_.get(), CURLMOPT_SOCKETDATA, this);
  curl().multi_setopt(multi_.get(), CURLMOPT_TIMERFUNCTION, &Engine::onTimer);
  curl().multi_setopt(multi_.get(), CURLMOPT_TIMERDATA, this);
  curl().multi_setopt(multi_.get(), CURLMOPT_MAXCONNECTS, kCachedConnections);
}

void Engine::perform(std::function<void()> work, bool deliverNow) {
  if (depth_ > 0) {
    // Curl must not be entered from its own callbacks.
    MainQueue::shared().async(
        [work = std::move(work), deliverNow] { Engine::shared().perform(work, deliverNow); });
    return;
  }
  ++depth_;
  work();
  settleFinished();
  --depth_;
  updateTimer();
  if (deliverNow) {
    deliver();
  } else if (!dirty_.empty()) {
    scheduleDelivery();
  }
  updateKeepAlive();
}

bool Engine::add(const std::shared_ptr<CurlTransfer>& transfer) {
  if (!multi_ || !transfer->easy()) return false;
  if (curl().multi_add_handle(multi_.get(), transfer->easy()) != CURLM_OK) return false;
  running_[transfer->easy()] = transfer;
  // Curl skips its timer callback when its earliest time-out is unchanged; a new handle
  // must be driven all the same.
  timerDirty_ = true;
  return true;
}

void Engine::remove(CurlTransfer& transfer) {
  CURL* easy = transfer.easy();
  if (!easy) return;
  auto it = running_.find(easy);
  if (it == running_.end()) return;
  curl().multi_remove_handle(multi_.get(), easy);
  // The caller holds its own reference; this one may go now.
  running_.erase(it);
}

CurlEasy Engine::takeEasy() {
  if (!pool_.empty()) {
    CurlEasy easy = std::move(pool_.back());
    pool_.pop_back();
    return easy;
  }
  CurlEasy easy(curl().easy_init());
  if (easy && !CurlTransfer::setStandingOptions(easy.get())) easy.reset();
  return easy;
}

void Engine::returnEasy(CurlEasy easy) {
  // Kept as it is: the next transfer sets every option that differs between transfers.
  if (!easy) return;
  if (pool_.size() < kPooledHandles) pool_.push_back(std::move(easy));
}

void Engine::markDirty(const std::shared_ptr<CurlTransfer>& transfer) {
  if (transfer->dirty) return;
  transfer->dirty = true;
  dirty_.push_back(transfer);
}

void Engine::transferBegan() {
  ++inFlight_;
}

void Engine::transferEnded() {
  if (inFlight_ > 0) --inFlight_;
}

int Engine::onSocket(CURL*, curl_socket_t socket, int what, void* data, void*) {
  auto* engine = static_cast<Engine*>(data);
  auto it = engine->sockets_.find(socket);
  if (what == CURL_POLL_REMOVE) {
    // The connection goes idle in curl's cache and usually carries the next transfer: the
    // watch stays as it is (no loop call now, none when it is taken up again) but no longer
    // holds the loop. It goes when curl closes the socket.
    if (it != engine->sockets_.end()) {
      it->second.parked = true;
      it->second.watch->update(it->second.watch->events(), false);
    }
    return 0;
  }
  unsigned events = 0;
  if (what & CURL_POLL_IN) events |= kFdReadable;
  if (what & CURL_POLL_OUT) events |= kFdWritable;
  if (it != engine->sockets_.end()) {
    it->second.parked = false;
    it->second.watch->update(events, engine->socketsHoldLoop_);
  } else {
    Socket entry;
    entry.watch = std::make_unique<FdWatch>(
        socket, events, engine->socketsHoldLoop_,
        [socket](unsigned ready) { Engine::shared().socketReady(socket, ready); });
    engine->sockets_.emplace(socket, std::move(entry));
  }
  return 0;
}

int Engine::onCloseSocket(void*, curl_socket_t socket) {
  // The watch must end before the descriptor is closed (and its number handed out again).
  Engine::shared().sockets_.erase(socket);
  return ::close(socket);
}

int Engine::onTimer(CURLM*, long, void* data) {
  // Applied once curl has returned: arming a main-queue timer may run due timers at once.
  static_cast<Engine*>(data)->timerDirty_ = true;
  return 0;
}

void Engine::socketReady(curl_socket_t socket, unsigned events) {
  auto it = sockets_.find(socket);
  if (it == sockets_.end()) return;
  if (it->second.parked) {
    // An idle connection became readable (closed by the server, most likely): curl finds
    // out when it next looks at it; until then the watch rests.
    it->second.watch->update(0, false);
    return;
  }
  // Events wait for one delivery after every ready socket of this loop turn was read: the
  // host's next requests then leave together rather than one per response.
  perform(
      [this, socket, events] {
        int flags = 0;
        if (events & kFdReadable) flags |= CURL_CSELECT_IN;
        if (events & kFdWritable) flags |= CURL_CSELECT_OUT;
        int running = 0;
        curl().multi_socket_action(multi_.get(), socket, flags, &running);
      },
      false);
}

void Engine::timerFired(std::uint64_t generation) {
  if (generation != timerGeneration_) return;
  timer_ = 0;
  immediatePending_ = false;
  perform(
      [this] {
        // Every transfer added since the last run leaves in this one call.
        int running = 0;
        curl().multi_socket_action(multi_.get(), CURL_SOCKET_TIMEOUT, 0, &running);
        // The platform clock may run ahead of curl's; ask again rather than wait forever.
        timerDirty_ = true;
      },
      true);
}

void Engine::watchIdleDeadline(double deadline) {
  // An earlier timer serves a later deadline too: the sweep re-arms for what is left.
  if (idleTimer_ && idleDeadline_ <= deadline) return;
  if (idleTimer_) MainQueue::shared().cancel(std::exchange(idleTimer_, 0));
  idleDeadline_ = deadline;
  // The sweep runs from the queue, never inside whatever call made a due timer fire.
  idleTimer_ = MainQueue::shared().after(std::max(0.0, deadline - Clock::now()), [] {
    MainQueue::shared().async([] { Engine::shared().sweepIdle(); });
  });
}

void Engine::sweepIdle() {
  idleTimer_ = 0;
  perform(
      [this] {
        const double now = Clock::now();
        std::vector<std::shared_ptr<CurlTransfer>> expired;
        double next = std::numeric_limits<double>::infinity();
        for (const auto& [easy, transfer] : running_) {
          const double deadline = transfer->idleDeadline();
          if (deadline <= now + 0.001) {
            expired.push_back(transfer);
          } else {
            next = std::min(next, deadline);
          }
        }
        for (auto& transfer : expired) transfer->timedOut();
        if (std::isfinite(next)) watchIdleDeadline(next);
      },
      true);
}

void Engine::settleFinished() {
  if (!multi_) return;
  int pending = 0;
  while (CURLMsg* message = curl().multi_info_read(multi_.get(), &pending)) {
    if (message->msg != CURLMSG_DONE) continue;
    const CURLcode result = message->data.result;
    auto it = running_.find(message->easy_handle);
    if (it == running_.end()) continue;
    std::shared_ptr<CurlTransfer> transfer = it->second;
    transfer->curlDone(result);
  }
}

void Engine::updateTimer() {
  // With transfers running and nothing armed, ask curl even without its callback: a
  // transfer must never wait for an event that nothing will deliver.
  const bool unarmed = !timer_ && !immediatePending_ && !running_.empty();
  if ((!timerDirty_ && !unarmed) || !multi_) return;
  timerDirty_ = false;
  long timeoutMs = -1;
  curl().multi_timeout(multi_.get(), &timeoutMs);
  // No time-out wanted: a timer still armed fires once for nothing, which is cheaper than
  // cancelling and re-arming on every transfer.
  if (timeoutMs < 0) return;
  if (timeoutMs == 0) {
    if (immediatePending_) return;
    immediatePending_ = true;
    const std::uint64_t generation = ++timerGeneration_;
    if (timer_) MainQueue::shared().cancel(std::exchange(timer_, 0));
    // Transfers added in this turn leave together, after the events of the turn were
    // delivered (and their listeners had the chance to add more).
    atTurnEnd([generation] { Engine::shared().timerFired(generation); });
    return;
  }
  const double deadline = Clock::now() + static_cast<double>(timeoutMs) / 1000.0;
  if ((timer_ && timerDeadline_ <= deadline) || immediatePending_) return;
  if (timer_) MainQueue::shared().cancel(std::exchange(timer_, 0));
  const std::uint64_t generation = ++timerGeneration_;
  timerDeadline_ = deadline;
  timer_ = MainQueue::shared().after(static_cast<double>(timeoutMs) / 1000.0, [generation] {
    MainQueue::shared().async([generation] { Engine::shared().timerFired(generation); });
  });
}

void Engine::deliver() {
  while (!dirty_.empty()) {
    std::vector<std::shared_ptr<CurlTransfer>> batch;
    batch.swap(dirty_);
    for (auto& transfer : batch) {
      transfer->dirty = false;
      transfer->flush();
    }
  }
}

void Engine::scheduleDelivery() {
  if (deliveryScheduled_) return;
  deliveryScheduled_ = true;
  atTurnEnd([] {
    Engine& engine = Engine::shared();
    engine.deliveryScheduled_ = false;
    engine.deliver();
    engine.updateKeepAlive();
  });
}

void Engine::updateKeepAlive() {
  const bool hold = inFlight_ > 0;
  if (hold && !keepAlive_) {
    keepAlive_.emplace();
  } else if (!hold && keepAlive_) {
    keepAlive_.reset();
    dropBuffersWhenIdle();
  }
  if (hold != socketsHoldLoop_) {
    socketsHoldLoop_ = hold;
    for (auto& [socket, entry] : sockets_) {
      if (!entry.parked) entry.watch->update(entry.watch->events(), hold);
    }
  }
}

void Engine::dropBuffersWhenIdle() {
  if (buffersTimer_) return;
  buffersTimer_ = MainQueue::shared().after(kKeepBuffersSeconds, [] {
    Engine& engine = Engine::shared();
    engine.buffersTimer_ = 0;
    if (engine.inFlight_ == 0) ReceiveBuffers::shared().drop();
  });
}

std::size_t transfersInFlight() {
  return Engine::shared().inFlight();
}

std::size_t receiveBuffersKept() {
  return ReceiveBuffers::shared().kept();
}

void setMaximumBodySizeOverride(std::size_t bytes) {
  Engine::shared().setBodySizeOverride(bytes);
}

}  // namespace velquarin::platform::http
