#pragma once

#include <glib.h>

#include "keychain/Keychain.h"

namespace velquarin::platform::keychain {

// The credential-store status for an error of libsecret, GDBus or GIO (docs/Keychain.md).
Status statusForError(const GError* error);

}  // namespace velquarin::platform::keychain
