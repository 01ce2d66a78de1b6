#include "alerts/Alerts.h"

#include <deque>
#include <mutex>

namespace velquarin::platform {
namespace {

struct AlertState {
  std::mutex mutex;
  std::deque<Alert> alerts;
};

AlertState& state() {
  static AlertState* alerts = new AlertState();
  return *alerts;
}

}  // namespace

void Alerts::presentError(std::string message, std::string details) {
  std::lock_guard lock(state().mutex);
  state().alerts.push_back(Alert{std::move(message), std::move(details)});
  if (state().alerts.size() > kKept) state().alerts.pop_front();
}

std::vector<Alert> Alerts::presented() {
  std::lock_guard lock(state().mutex);
  return {state().alerts.begin(), state().alerts.end()};
}

void Alerts::clear() {
  std::lock_guard lock(state().mutex);
  state().alerts.clear();
}

}  // namespace velquarin::platform
