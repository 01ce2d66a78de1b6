#pragma once

// libsndfile with its codecs (FLAC, Vorbis, Opus, MPEG) and ALSA are opened the first time
// a sound file is read: they live behind libvelquarin-sound.so, beside the platform library,
// which hands back this table of the functions the player uses.

#include <alsa/asoundlib.h>
#include <sndfile.h>

namespace velquarin::platform::sound {

struct SoundLibrary {
  decltype(&::sf_open) open;
  decltype(&::sf_close) close;
  decltype(&::sf_readf_float) readf_float;
  decltype(&::snd_lib_error_set_handler) snd_lib_error_set_handler;
  decltype(&::snd_pcm_close) snd_pcm_close;
  decltype(&::snd_pcm_drain) snd_pcm_drain;
  decltype(&::snd_pcm_drop) snd_pcm_drop;
  decltype(&::snd_pcm_open) snd_pcm_open;
  decltype(&::snd_pcm_recover) snd_pcm_recover;
  decltype(&::snd_pcm_set_params) snd_pcm_set_params;
  decltype(&::snd_pcm_writei) snd_pcm_writei;

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const SoundLibrary* get();
};

// The one function libvelquarin-sound.so exports, by this name, with C linkage.
inline constexpr char kSoundLibraryEntry[] = "velquarin_sound_library";

}  // namespace velquarin::platform::sound
