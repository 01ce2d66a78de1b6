#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform::sound {
class Sound;
}

// A sound by name: the application's own "New Mail" sound or one from the desktop's sound
// folders. The list of playable sounds is built once per process; at most one sound plays.
class ZqSound {
 public:
  explicit ZqSound(std::optional<std::string> name);  // keeps the last path component

  // The playable sounds: "New Mail" first if playable, then the folders' sounds, the first
  // folder providing a name winning; sorted by plain comparison. Built at the first call.
  static std::vector<ZqSound> sounds();
  static ZqSound soundNewMail();
  // Named after the file's name without extension; nothing for a missing path.
  static std::optional<ZqSound> soundWithPath(const std::string& path);
  // The file a sound name plays; nothing for an unknown name or one with path parts.
  static std::optional<std::string> pathForSoundNamed(const std::string& name);

  const std::optional<std::string>& name() const { return name_; }
  bool isPlayable() const;
  // Stops the current sound and starts this one, which becomes the current sound.
  void play() const;
  const std::string& description() const;

  bool isEqualToSound(const ZqSound& other) const { return name_ == other.name_; }
  bool operator==(const ZqSound& other) const { return isEqualToSound(other); }
  std::size_t hash() const;

  // The current sound, for the tests.
  static std::shared_ptr<velquarin::platform::sound::Sound> currentSound();

 private:
  std::optional<std::string> name_;
};

// The list's names in order (getSoundNames); true when a playable sound of that exact name
// was found and started (playSoundWithName).
std::vector<std::string> ZqSoundNames();
bool ZqPlaySoundWithName(const std::string& name);
