#include "sound/Sound.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "bundle/Bundle.h"
#include "sound/SoundLibrary.h"

namespace velquarin::platform::sound {
namespace {

namespace fs = std::filesystem;

constexpr sf_count_t kChunkFrames = 2048;

struct SndfileCloser {
  void operator()(SNDFILE* file) const { SoundLibrary::get()->close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

struct PcmCloser {
  void operator()(snd_pcm_t* pcm) const { SoundLibrary::get()->snd_pcm_close(pcm); }
};
using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

SndfileHandle openSound(const std::string& path, SF_INFO& info) {
  info = {};
  const SoundLibrary* sndfile = SoundLibrary::get();
  if (!sndfile) return nullptr;
  return SndfileHandle(sndfile->open(path.c_str(), SFM_READ, &info));
}

std::mutex& playingMutex() {
  static std::mutex mutex;
  return mutex;
}
std::vector<std::string>& playingList() {
  static std::vector<std::string> list;
  return list;
}

void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

// Where decoded frames go. write() blocks for about as long as the frames take to play and
// returns early when `stop` turns true.
class Output {
 public:
  virtual ~Output() = default;
  virtual void write(const float* frames, sf_count_t count, const std::atomic<bool>& stop) = 0;
  virtual void finish(bool stopped) = 0;
};

class AlsaOutput final : public Output {
 public:
  static std::unique_ptr<AlsaOutput> open(int channels, int rate) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { SoundLibrary::get()->snd_lib_error_set_handler(quietAlsaErrors); });
    snd_pcm_t* raw = nullptr;
    if (SoundLibrary::get()->snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0)
      return nullptr;
    PcmHandle pcm(raw);
    if (SoundLibrary::get()->snd_pcm_set_params(
            pcm.get(), SND_PCM_FORMAT_FLOAT_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
            static_cast<unsigned>(channels), static_cast<unsigned>(rate), 1, 100000) < 0) {
      return nullptr;
    }
    return std::unique_ptr<AlsaOutput>(new AlsaOutput(std::move(pcm), channels));
  }

  void write(const float* frames, sf_count_t count, const std::atomic<bool>& stop) override {
    // Small pieces: a blocking write lasts a few milliseconds, so a stop is seen soon.
    constexpr sf_count_t kPieceFrames = 256;
    while (count > 0 && !stop) {
      snd_pcm_sframes_t written = SoundLibrary::get()->snd_pcm_writei(
          pcm_.get(), frames, static_cast<snd_pcm_uframes_t>(std::min(count, kPieceFrames)));
      if (written < 0)
        written = SoundLibrary::get()->snd_pcm_recover(pcm_.get(), static_cast<int>(written), 1);
      if (written < 0) return;
      frames += written * channels_;
      count -= written;
    }
  }

  void finish(bool stopped) override {
    if (stopped) {
      SoundLibrary::get()->snd_pcm_drop(pcm_.get());
    } else {
      SoundLibrary::get()->snd_pcm_drain(pcm_.get());
    }
  }

 private:
  AlsaOutput(PcmHandle pcm, int channels) : pcm_(std::move(pcm)), channels_(channels) {}
  PcmHandle pcm_;
  int channels_;
};

// No sound device: the frames are dropped at the pace a device would take them.
class SilentOutput final : public Output {
 public:
  explicit SilentOutput(int rate) : rate_(rate), next_(std::chrono::steady_clock::now()) {}

  void write(const float*, sf_count_t count, const std::atomic<bool>& stop) override {
    next_ += std::chrono::microseconds(count * 1000000 / rate_);
    std::unique_lock lock(mutex_);
    while (!stop && std::chrono::steady_clock::now() < next_) {
      // Short waits so a stop is seen within a few milliseconds.
      wake_.wait_for(lock, std::chrono::milliseconds(5));
    }
  }
  void finish(bool) override {}

 private:
  int rate_;
  std::chrono::steady_clock::time_point next_;
  std::mutex mutex_;
  std::condition_variable wake_;
};

std::optional<std::string> findIn(const std::string& folder, const std::string& name) {
  for (const std::string& entry : folderEntries(folder)) {
    const fs::path file(entry);
    if (file.stem().string() != name) continue;
    const std::string path = (fs::path(folder) / file).string();
    std::error_code error;
    if (fs::is_regular_file(path, error) && canDecode(path)) return path;
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> soundFolders() {
  if (const char* list = std::getenv("VELQUARIN_SOUND_FOLDERS")) {
    std::vector<std::string> folders;
    std::string_view rest(list);
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::string_view folder = rest.substr(0, colon);
      if (!folder.empty()) folders.emplace_back(folder);
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
    return folders;
  }
  std::vector<std::string> folders = {"/usr/share/sounds/freedesktop/stereo",
                                      "/usr/local/share/sounds"};
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (dataHome && *dataHome == '/') {
    folders.push_back((fs::path(dataHome) / "sounds").string());
  } else if (home && *home) {
    folders.push_back((fs::path(home) / ".local/share/sounds").string());
  }
  return folders;
}

bool isSoundName(std::string_view name) {
  return !name.empty() && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos && name.find("..") == std::string_view::npos;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> entries;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return entries;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    entries.push_back(it->path().filename().string());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

bool canDecode(const std::string& path) {
  SF_INFO info;
  const SndfileHandle file = openSound(path, info);
  return file && info.frames > 0 && info.channels > 0 && info.samplerate > 0;
}

std::optional<std::string> pathForSoundNamed(const std::string& name) {
  if (!isSoundName(name)) return std::nullopt;
  if (const auto bundle = Bundle::main()) {
    if (auto path = findIn(bundle->resourcesPath(), name)) return path;
  }
  for (const std::string& folder : soundFolders()) {
    if (auto path = findIn(folder, name)) return path;
  }
  return std::nullopt;
}

std::shared_ptr<Sound> Sound::named(const std::string& name) {
  const std::optional<std::string> path = pathForSoundNamed(name);
  if (!path) return nullptr;
  return std::make_shared<Sound>(*path);
}

Sound::Sound(std::string path) : path_(std::move(path)) {}

Sound::~Sound() {
  stop();
}

bool Sound::play() {
  if (playing_) return false;
  if (thread_.joinable()) thread_.join();
  stopRequested_ = false;
  playing_ = true;
  {
    std::lock_guard lock(playingMutex());
    playingList().push_back(path_);
  }
  thread_ = std::thread([this] { run(); });
  return true;
}

void Sound::stop() {
  stopRequested_ = true;
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

std::vector<std::string> Sound::playingPaths() {
  std::lock_guard lock(playingMutex());
  return playingList();
}

void Sound::run() {
  SF_INFO info;
  const SndfileHandle file = openSound(path_, info);
  if (file && info.channels > 0 && info.samplerate > 0) {
    std::unique_ptr<Output> output = AlsaOutput::open(info.channels, info.samplerate);
    if (!output) output = std::make_unique<SilentOutput>(info.samplerate);
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames * info.channels));
    while (!stopRequested_) {
      const sf_count_t frames =
          SoundLibrary::get()->readf_float(file.get(), chunk.data(), kChunkFrames);
      if (frames <= 0) break;
      output->write(chunk.data(), frames, stopRequested_);
    }
    output->finish(stopRequested_);
  }
  {
    std::lock_guard lock(playingMutex());
    auto& list = playingList();
    const auto it = std::find(list.begin(), list.end(), path_);
    if (it != list.end()) list.erase(it);
  }
  playing_ = false;
}

}  // namespace velquarin::platform::sound
