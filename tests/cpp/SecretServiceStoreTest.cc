// The Secret Service store against the test run's private keyring (scripts/run-tests.sh);
// skipped without it, so a run outside that session never touches a real keyring.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "keychain/Keychain.h"

namespace keychain = velquarin::platform::keychain;

namespace {

class SecretServiceStore : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* marker = std::getenv("VELQUARIN_TEST_KEYRING");
    if (!marker || std::string(marker) != "1") GTEST_SKIP() << "no private test keyring";
  }
  void TearDown() override {
    if (IsSkipped()) return;
    // Leave nothing of this test's service behind.
    for (;;) {
      keychain::Lookup found = store.find(service, std::nullopt, false);
      if (found.status != keychain::kSuccess || store.remove(*found.item) != keychain::kSuccess) {
        break;
      }
    }
  }

  keychain::Store& store = keychain::defaultStore();
  const std::string service = "Velquarin store test " + std::to_string(getpid());
};

struct ForeignItem final : keychain::Item {};

}  // namespace

// Adding, modifying, removing and reading items, binary secrets and other services' items are
// pinned against the same keyring by tests/js/keychain.test.js (with secret-tool as the peer).
TEST_F(SecretServiceStore, AReferenceThatOutlivedItsItemIsRefused) {
  ASSERT_EQ(store.add(service, "a", "secret"), keychain::kSuccess);
  keychain::Lookup found = store.find(service, "a", false);
  ASSERT_EQ(found.status, keychain::kSuccess);
  EXPECT_TRUE(found.secret.empty());  // not asked for
  std::string account;
  EXPECT_EQ(store.account(*found.item, account), keychain::kSuccess);
  EXPECT_EQ(account, "a");
  ASSERT_EQ(store.remove(*found.item), keychain::kSuccess);
  EXPECT_EQ(store.find(service, "a", false).status, keychain::kItemNotFound);
  EXPECT_EQ(store.modify(*found.item, "x"), keychain::kInvalidItemRef);
  EXPECT_EQ(store.remove(*found.item), keychain::kInvalidItemRef);
}

TEST_F(SecretServiceStore, ItemsOfAnotherStoreAreRefused) {
  const ForeignItem foreign;
  std::string account;
  EXPECT_EQ(store.modify(foreign, "x"), keychain::kInvalidItemRef);
  EXPECT_EQ(store.remove(foreign), keychain::kInvalidItemRef);
  EXPECT_EQ(store.account(foreign, account), keychain::kInvalidItemRef);
}
