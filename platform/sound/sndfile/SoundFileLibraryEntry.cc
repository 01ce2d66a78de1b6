// libvelquarin-sndfile.so: the only part of the package linked to libsndfile.

#include "sound/SoundFileLibrary.h"

using velquarin::platform::sound::SoundFileLibrary;

extern "C" __attribute__((visibility("default"))) const SoundFileLibrary*
velquarin_sndfile_library() {
  static const SoundFileLibrary table{
      .open = &sf_open,
      .close = &sf_close,
      .readf_float = &sf_readf_float,
  };
  return &table;
}
