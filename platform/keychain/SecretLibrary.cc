#include "keychain/SecretLibrary.h"

#include <cstdlib>

#include "runtime/SideLibrary.h"

namespace velquarin::platform::keychain {

const SecretLibrary* SecretLibrary::get() {
  static const SideLibrary library("libvelquarin-secret.so", kSecretLibraryEntry,
                                   "The credential store is unavailable");
  static const SecretLibrary* const table = library.table<SecretLibrary>();
  return table;
}

const SecretLibrary& libsecret() {
  const SecretLibrary* table = SecretLibrary::get();
  if (!table) std::abort();  // unreachable: the store checks get() before opening the service
  return *table;
}

}  // namespace velquarin::platform::keychain
