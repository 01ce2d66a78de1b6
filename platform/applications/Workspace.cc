#include "applications/Workspace.h"

#include <deque>
#include <mutex>

#include "applications/Applications.h"

namespace velquarin::platform {
namespace {

struct HandOffState {
  std::mutex mutex;
  std::deque<HandOff> handOffs;
};

HandOffState& state() {
  static HandOffState* shared = new HandOffState();
  return *shared;
}

bool record(HandOff handOff, std::string* error) {
  if (error && !handOff.opened) *error = handOff.error;
  const bool opened = handOff.opened;
  std::lock_guard lock(state().mutex);
  state().handOffs.push_back(std::move(handOff));
  if (state().handOffs.size() > Workspace::kKept) state().handOffs.pop_front();
  return opened;
}

}  // namespace

bool Workspace::openURLs(const std::vector<std::string>& urls,
                         const std::optional<std::string>& application, unsigned long launchOptions,
                         std::string* error) {
  HandOff handOff{application.value_or(""), urls, launchOptions, false, false, {}};
  handOff.opened = platform::openURLs(urls, application, &handOff.error);
  return record(std::move(handOff), error);
}

bool Workspace::openFile(const std::string& path, const std::optional<std::string>& application,
                         bool deactivate, std::string* error) {
  HandOff handOff{application.value_or(""), {path}, 0, deactivate, false, {}};
  handOff.opened = platform::openFiles({path}, application, &handOff.error);
  return record(std::move(handOff), error);
}

std::vector<HandOff> Workspace::handOffs() {
  std::lock_guard lock(state().mutex);
  return {state().handOffs.begin(), state().handOffs.end()};
}

void Workspace::clearHandOffs() {
  std::lock_guard lock(state().mutex);
  state().handOffs.clear();
}

}  // namespace velquarin::platform
