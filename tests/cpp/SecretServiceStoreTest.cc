// The Secret Service store against the test run's private keyring (scripts/run-tests.sh);
// skipped without it, so a run outside that session never touches a real keyring.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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

TEST_F(SecretServiceStore, AddsFindsModifiesAndRemovesOneItem) {
  EXPECT_EQ(store.find(service, "a", true).status, keychain::kItemNotFound);
  ASSERT_EQ(store.add(service, "a", std::string("bin\0ary\xFF", 8)), keychain::kSuccess);

  keychain::Lookup found = store.find(service, "a", true);
  ASSERT_EQ(found.status, keychain::kSuccess);
  EXPECT_EQ(found.secret, std::string("bin\0ary\xFF", 8));
  std::string account;
  EXPECT_EQ(store.account(*found.item, account), keychain::kSuccess);
  EXPECT_EQ(account, "a");

  ASSERT_EQ(store.modify(*found.item, ""), keychain::kSuccess);
  keychain::Lookup again = store.find(service, "a", true);
  ASSERT_EQ(again.status, keychain::kSuccess);
  EXPECT_EQ(again.secret, "");
  EXPECT_TRUE(store.find(service, "a", false).secret.empty());

  ASSERT_EQ(store.remove(*found.item), keychain::kSuccess);
  EXPECT_EQ(store.find(service, "a", false).status, keychain::kItemNotFound);
  // The reference outlived its item.
  EXPECT_EQ(store.modify(*found.item, "x"), keychain::kInvalidItemRef);
  EXPECT_EQ(store.remove(*found.item), keychain::kInvalidItemRef);
}

TEST_F(SecretServiceStore, AccountsAreThoseOfTheServiceOnly) {
  std::vector<std::string> accounts;
  ASSERT_EQ(store.accounts(service, accounts), keychain::kSuccess);
  EXPECT_TRUE(accounts.empty());
  ASSERT_EQ(store.add(service, "one", "1"), keychain::kSuccess);
  ASSERT_EQ(store.add(service, "two", "2"), keychain::kSuccess);
  ASSERT_EQ(store.add(service + " (other)", "three", "3"), keychain::kSuccess);
  ASSERT_EQ(store.accounts(service, accounts), keychain::kSuccess);
  std::sort(accounts.begin(), accounts.end());
  EXPECT_EQ(accounts, (std::vector<std::string>{"one", "two"}));

  keychain::Lookup other = store.find(service + " (other)", std::nullopt, false);
  ASSERT_EQ(other.status, keychain::kSuccess);
  EXPECT_EQ(store.remove(*other.item), keychain::kSuccess);
}

TEST_F(SecretServiceStore, ItemsOfAnotherStoreAreRefused) {
  const ForeignItem foreign;
  std::string account;
  EXPECT_EQ(store.modify(foreign, "x"), keychain::kInvalidItemRef);
  EXPECT_EQ(store.remove(foreign), keychain::kInvalidItemRef);
  EXPECT_EQ(store.account(foreign, account), keychain::kInvalidItemRef);
}
