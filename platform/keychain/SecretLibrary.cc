#include "keychain/SecretLibrary.h"

#include "runtime/SideLibrary.h"

namespace velquarin::platform::keychain {

const SecretLibrary* SecretLibrary::get() {
  static const SideLibrary library("libvelquarin-secret.so", kSecretLibraryEntry,
                                   "The credential store is unavailable");
  static const SecretLibrary* const table = library.table<SecretLibrary>();
  return table;
}

const SecretLibrary& libsecret() {
  // Unreachable without a table: the store checks get() before opening the service.
  return openedTable(SecretLibrary::get());
}

}  // namespace velquarin::platform::keychain
