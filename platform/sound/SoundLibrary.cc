#include "sound/SoundLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform::sound {

const SoundLibrary* SoundLibrary::get() {
  static const SideLibrary library("libvelquarin-sound.so", kSoundLibraryEntry,
                                   "Sound files are unavailable");
  static const SoundLibrary* const table = library.table<SoundLibrary>();
  return table;
}

}  // namespace velquarin::platform::sound
