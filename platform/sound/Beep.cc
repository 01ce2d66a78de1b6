#include "sound/Beep.h"

#include <memory>

#include "sound/Sound.h"

namespace velquarin::platform::sound {
namespace {

struct BeepState {
  std::uint64_t count = 0;
  std::shared_ptr<Sound> bell;
};

BeepState& state() {
  static auto* shared = new BeepState();  // leaked: the player must outlive static destructors
  return *shared;
}

}  // namespace

void beep() {
  auto& shared = state();
  ++shared.count;
  if (!shared.bell) shared.bell = Sound::named("bell");
  if (shared.bell && !shared.bell->isPlaying()) shared.bell->play();
}

std::uint64_t beepCount() {
  return state().count;
}

}  // namespace velquarin::platform::sound
