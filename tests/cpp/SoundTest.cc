#include "sound/Sound.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
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

// Names, the list and stopping are pinned by tests/js/sounds.test.js.
TEST(Sound, PlaysInRealTimeWithoutADevice) {
  ScratchFolder folder;
  writeTone(folder.path() + "/Short.wav", 0.3);
  sound::Sound shortSound(folder.path() + "/Short.wav");

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(shortSound.play());
  EXPECT_FALSE(shortSound.play());  // already playing
  while (shortSound.isPlaying()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(took, 0.25);  // as long as the sound lasts, not as fast as it decodes
  EXPECT_LT(took, 3.0);
}

TEST(FreedesktopPresenter, EscapesMarkupInBodies) {
  EXPECT_EQ(velquarin::platform::escapeNotificationMarkup("<b>Tom & \"Jerry\"</b> 'x'"),
            "&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt; &apos;x&apos;");
  EXPECT_EQ(velquarin::platform::escapeNotificationMarkup("plain\ntext"), "plain\ntext");
}
