#include "Notifications/ZqSound.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <mutex>
#include <system_error>

#include "sound/Sound.h"

namespace fs = std::filesystem;
namespace platform_sound = velquarin::platform::sound;

namespace {

std::mutex& playLock() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<platform_sound::Sound>& current() {
  // Never destroyed: a sound still playing at exit must not be joined from a static destructor.
  static auto* sound = new std::shared_ptr<platform_sound::Sound>();
  return *sound;
}

const std::string kEmpty;

}  // namespace

ZqSound::ZqSound(std::optional<std::string> name) {
  if (name) name_ = fs::path(*name).filename().string();
}

ZqSound ZqSound::soundNewMail() {
  return ZqSound(std::string("New Mail"));
}

std::optional<ZqSound> ZqSound::soundWithPath(const std::string& path) {
  std::error_code error;
  if (path.empty() || !fs::exists(path, error)) return std::nullopt;
  return ZqSound(fs::path(path).stem().string());
}

std::optional<std::string> ZqSound::pathForSoundNamed(const std::string& name) {
  return platform_sound::pathForSoundNamed(name);
}

bool ZqSound::isPlayable() const {
  return name_ && pathForSoundNamed(*name_).has_value();
}

const std::string& ZqSound::description() const {
  return name_ ? *name_ : kEmpty;
}

std::size_t ZqSound::hash() const {
  return std::hash<std::string>()(description());
}

std::vector<ZqSound> ZqSound::sounds() {
  static const std::vector<ZqSound> list = [] {
    std::vector<ZqSound> found;
    found.reserve(50);
    const auto add = [&](const ZqSound& sound) {
      if (std::find(found.begin(), found.end(), sound) == found.end() && sound.isPlayable()) {
        found.push_back(sound);
      }
    };
    add(soundNewMail());
    for (const std::string& folder : platform_sound::soundFolders()) {
      for (const std::string& entry : platform_sound::folderEntries(folder)) {
        if (auto sound = soundWithPath((fs::path(folder) / entry).string())) add(*sound);
      }
    }
    std::sort(found.begin(), found.end(),
              [](const ZqSound& a, const ZqSound& b) { return a.description() < b.description(); });
    return found;
  }();
  return list;
}

void ZqSound::play() const {
  std::lock_guard lock(playLock());
  if (current()) {
    current()->stop();
    current().reset();
  }
  if (!name_) return;
  current() = platform_sound::Sound::named(*name_);
  if (current()) current()->play();
}

std::shared_ptr<platform_sound::Sound> ZqSound::currentSound() {
  std::lock_guard lock(playLock());
  return current();
}

std::vector<std::string> ZqSoundNames() {
  std::vector<std::string> names;
  for (const ZqSound& sound : ZqSound::sounds()) {
    if (sound.name()) names.push_back(*sound.name());
  }
  return names;
}

bool ZqPlaySoundWithName(const std::string& name) {
  for (const ZqSound& sound : ZqSound::sounds()) {
    if (sound.name() == name && sound.isPlayable()) {
      sound.play();
      return true;
    }
  }
  return false;
}
