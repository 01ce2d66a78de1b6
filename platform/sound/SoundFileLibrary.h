#pragma once

// libsndfile and its codecs (FLAC, Vorbis, Opus, MPEG) are opened the first time a sound
// file is read: they live behind libvelquarin-sndfile.so, beside the platform library,
// which hands back this table of libsndfile's functions.

#include <sndfile.h>

namespace velquarin::platform::sound {

struct SoundFileLibrary {
  decltype(&::sf_open) open;
  decltype(&::sf_close) close;
  decltype(&::sf_readf_float) readf_float;

  // Opened on the first call; null (logged once) when it cannot be opened.
  static const SoundFileLibrary* get();
};

// The one function libvelquarin-sndfile.so exports, by this name, with C linkage.
using SoundFileLibraryEntry = const SoundFileLibrary* (*)();
inline constexpr char kSoundFileLibraryEntry[] = "velquarin_sndfile_library";

}  // namespace velquarin::platform::sound
