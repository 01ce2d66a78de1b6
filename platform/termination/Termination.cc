#include "termination/Termination.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace velquarin::platform {
namespace {

struct TerminationState {
  std::mutex mutex;
  std::shared_ptr<const Termination::Handler> handler;
};

TerminationState& state() {
  static TerminationState* termination = new TerminationState();
  return *termination;
}

}  // namespace

void Termination::terminate(int status) {
  std::shared_ptr<const Handler> handler;
  {
    std::lock_guard lock(state().mutex);
    handler = state().handler;
  }
  if (handler) {
    (*handler)(status);
    return;
  }
  std::fflush(nullptr);
  std::exit(status);
}

void Termination::setHandler(Handler handler) {
  std::lock_guard lock(state().mutex);
  state().handler = handler ? std::make_shared<const Handler>(std::move(handler)) : nullptr;
}

}  // namespace velquarin::platform
