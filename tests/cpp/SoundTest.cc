#include "sound/Sound.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "ScopedEnvironment.h"
#include "usernotifications/FreedesktopPresenter.h"

namespace sound = velquarin::platform::sound;

namespace {

void writeTone(const std::string& path, double seconds) {
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr);
  std::vector<short> samples(static_cast<std::size_t>(8000 * seconds), 1000);
  sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
}

}  // namespace

TEST(Sound, NamesWithPathPartsFindNothing) {
  ScratchFolder outer;
  const std::string inner = outer.path() + "/sounds";
  std::filesystem::create_directory(inner);
  writeTone(inner + "/Tink.wav", 0.05);
  writeTone(outer.path() + "/Secret.wav", 0.05);
  std::ofstream(inner + "/Fake.wav") << "RIFF....WAVE but no audio";
  ScopedEnvironment env;
  env.set("VELQUARIN_SOUND_FOLDERS", inner);

  EXPECT_EQ(sound::pathForSoundNamed("Tink"), inner + "/Tink.wav");
  for (const std::string& bad :
       std::vector<std::string>{"../Secret", "..", "", "sounds/Tink", "/Tink",
                                std::string("Tink\0x", 6), "Fake", "tink"}) {
    EXPECT_FALSE(sound::pathForSoundNamed(bad)) << bad;
  }
  EXPECT_FALSE(sound::Sound::named("../Secret"));
}

TEST(Sound, PlaysInRealTimeWithoutADeviceAndStopsPromptly) {
  ScratchFolder folder;
  writeTone(folder.path() + "/Long.wav", 10);
  writeTone(folder.path() + "/Short.wav", 0.3);
  sound::Sound longSound(folder.path() + "/Long.wav");
  sound::Sound shortSound(folder.path() + "/Short.wav");

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(shortSound.play());
  EXPECT_FALSE(shortSound.play());  // already playing
  while (shortSound.isPlaying()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(took, 0.25);  // as long as the sound lasts, not as fast as it decodes
  EXPECT_LT(took, 3.0);

  ASSERT_TRUE(longSound.play());
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(sound::Sound::playingPaths(), std::vector<std::string>{longSound.path()});
  const auto stopAt = std::chrono::steady_clock::now();
  longSound.stop();
  EXPECT_FALSE(longSound.isPlaying());
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - stopAt).count(), 1.0);
  EXPECT_TRUE(sound::Sound::playingPaths().empty());
}

TEST(FreedesktopPresenter, EscapesMarkupInBodies) {
  EXPECT_EQ(velquarin::platform::escapeNotificationMarkup("<b>Tom & \"Jerry\"</b> 'x'"),
            "&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt; &apos;x&apos;");
  EXPECT_EQ(velquarin::platform::escapeNotificationMarkup("plain\ntext"), "plain\ntext");
}
