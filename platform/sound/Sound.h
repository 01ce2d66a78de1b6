#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace velquarin::platform::sound {

// The folders named sounds come from after the main bundle's resources, in search order: the
// freedesktop sound theme, /usr/local/share/sounds and the user's sounds ($XDG_DATA_HOME/sounds).
// VELQUARIN_SOUND_FOLDERS (folders separated by ':') replaces the list.
std::vector<std::string> soundFolders();

// A name that can only mean a file directly inside a sound folder: not empty, no '/', no
// "..", no NUL.
bool isSoundName(std::string_view name);

// The file names directly inside `folder`, sorted; none for a missing or unreadable folder.
std::vector<std::string> folderEntries(const std::string& folder);

// True when libsndfile recognises the file and it has frames to play (reads the header only).
bool canDecode(const std::string& path);

// The first decodable file whose name without extension is `name`: the main bundle's resources
// first, then the sound folders in order.
std::optional<std::string> pathForSoundNamed(const std::string& name);

// One sound file, played on its own thread: decoded in chunks and written to ALSA's default
// device, or, when there is none, to a silent output that takes as long as the sound lasts.
class Sound {
 public:
  // Nothing for an unsafe or unknown name.
  static std::shared_ptr<Sound> named(const std::string& name);

  explicit Sound(std::string path);
  ~Sound();  // stops and waits for the player thread
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  const std::string& path() const { return path_; }
  // Starts playing from the beginning; false when it is already playing.
  bool play();
  // Stops at the next chunk and waits for the player thread; safe from any thread but the
  // player's own.
  void stop();
  bool isPlaying() const { return playing_.load(); }

  // The paths of the sounds playing now, in the process (for the binding and the tests).
  static std::vector<std::string> playingPaths();

 private:
  void run();

  std::string path_;
  std::thread thread_;
  std::atomic<bool> playing_{false};
  std::atomic<bool> stopRequested_{false};
};

}  // namespace velquarin::platform::sound
