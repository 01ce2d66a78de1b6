// libvelquarin-sound.so: the only part of the package linked to libsndfile and ALSA.

#include "sound/SoundLibrary.h"

using velquarin::platform::sound::SoundLibrary;

extern "C" __attribute__((visibility("default"))) const SoundLibrary* velquarin_sound_library() {
  static const SoundLibrary table{
      .open = &sf_open,
      .close = &sf_close,
      .readf_float = &sf_readf_float,
      .snd_lib_error_set_handler = &snd_lib_error_set_handler,
      .snd_pcm_close = &snd_pcm_close,
      .snd_pcm_drain = &snd_pcm_drain,
      .snd_pcm_drop = &snd_pcm_drop,
      .snd_pcm_open = &snd_pcm_open,
      .snd_pcm_recover = &snd_pcm_recover,
      .snd_pcm_set_params = &snd_pcm_set_params,
      .snd_pcm_writei = &snd_pcm_writei,
  };
  return &table;
}
