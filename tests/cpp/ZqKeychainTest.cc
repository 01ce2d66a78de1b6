#include "Keychain/ZqKeyChain.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "Keychain/ZqTransientKeychain.h"

namespace keychain = velquarin::platform::keychain;
using nlohmann::json;

namespace {

// An in-memory store whose operations can be made to fail.
class FakeStore final : public keychain::Store {
 public:
  struct Ref final : keychain::Item {
    explicit Ref(std::pair<std::string, std::string> key) : key(std::move(key)) {}
    std::pair<std::string, std::string> key;
  };

  std::map<std::pair<std::string, std::string>, std::string> items;
  keychain::Status findFails = keychain::kSuccess;
  keychain::Status modifyFails = keychain::kSuccess;
  keychain::Status removeFails = keychain::kSuccess;
  keychain::Status accountFails = keychain::kSuccess;

  keychain::Lookup find(const std::string& service, const std::optional<std::string>& account,
                        bool withSecret) override {
    if (findFails != keychain::kSuccess) return {findFails, nullptr, {}};
    for (const auto& [key, secret] : items) {
      if (key.first == service && (!account || key.second == *account)) {
        return {keychain::kSuccess, std::make_shared<Ref>(key), withSecret ? secret : ""};
      }
    }
    return {keychain::kItemNotFound, nullptr, {}};
  }
  keychain::Status add(const std::string& service, const std::string& account,
                       const std::string& secret) override {
    items[{service, account}] = secret;
    return keychain::kSuccess;
  }
  keychain::Status modify(const keychain::Item& item, const std::string& secret) override {
    if (modifyFails != keychain::kSuccess) return modifyFails;
    items.at(static_cast<const Ref&>(item).key) = secret;
    return keychain::kSuccess;
  }
  keychain::Status remove(const keychain::Item& item) override {
    if (removeFails != keychain::kSuccess) return removeFails;
    items.erase(static_cast<const Ref&>(item).key);
    return keychain::kSuccess;
  }
  keychain::Status account(const keychain::Item& item, std::string& account) override {
    if (accountFails != keychain::kSuccess) return accountFails;
    account = static_cast<const Ref&>(item).key.second;
    return keychain::kSuccess;
  }
  keychain::Status accounts(const std::string& service,
                            std::vector<std::string>& accounts) override {
    if (findFails != keychain::kSuccess) return findFails;
    for (const auto& [key, secret] : items) {
      if (key.first == service) accounts.push_back(key.second);
    }
    return keychain::kSuccess;
  }
};

const json kOk = {{"ok?", true}};

json failed(keychain::Status status) {
  return {{"ok?", false}, {"error", status}};
}

}  // namespace

TEST(ZqKeychain, ServiceNameFollowsTheBundleName) {
  EXPECT_EQ(ZqKeychainServiceForBundleName("Quellor"), "Quellor");
  EXPECT_EQ(ZqKeychainServiceForBundleName("Velquarin"), "Velquarin 3");
  EXPECT_EQ(ZqKeychainServiceForBundleName("quellor"), "Velquarin 3");
  EXPECT_EQ(ZqKeychainServiceForBundleName(std::nullopt), "Velquarin 3");
  EXPECT_EQ(ZqKeychain("Some Service").service(), "Some Service");
}

// Failures of an unreachable, locked or silent store and secrets that are not UTF-8 are pinned
// against the real store by tests/js/keychain.test.js; these are the failures it cannot stage.
TEST(ZqKeychain, ASecretHoldingNulIsReadWhole) {
  FakeStore store;
  ZqKeychain chain("S", store);
  store.items[{"S", "nul"}] = std::string("a\0b", 3);
  EXPECT_EQ(chain.passwordForAccount("nul")["password"], std::string("a\0b", 3));
}

TEST(ZqKeychain, NoPasswordDeletesAndAMissingItemCannotBeDeleted) {
  FakeStore store;
  ZqKeychain chain("S", store);
  store.items[{"S", "a"}] = "secret";
  EXPECT_EQ(chain.setPassword(std::nullopt, "a"), kOk);
  EXPECT_TRUE(store.items.empty());
  EXPECT_EQ(chain.setPassword(std::nullopt, "a"), failed(keychain::kItemNotFound));
  store.items[{"S", "a"}] = "secret";
  store.removeFails = keychain::kInvalidItemRef;
  EXPECT_EQ(chain.setPassword(std::nullopt, "a"), failed(keychain::kInvalidItemRef));
  EXPECT_EQ(store.items.size(), 1u);
}

TEST(ZqKeychain, AFailedModifyKeepsTheOldSecretAndAFailedRemoveKeepsTheItem) {
  FakeStore store;
  ZqKeychain chain("S", store);
  store.items[{"S", "a"}] = "old";
  store.modifyFails = keychain::kTimedOut;
  EXPECT_EQ(chain.setPassword("new", "a"), failed(keychain::kTimedOut));
  EXPECT_EQ(store.items.at({"S", "a"}), "old");
  store.removeFails = keychain::kInternalError;
  EXPECT_FALSE(chain.removePasswordForAccount("a"));
  EXPECT_EQ(store.items.size(), 1u);
}

TEST(ZqKeychain, RemoveAllRemovesItemsWhoseAccountCannotBeRead) {
  FakeStore store;
  ZqKeychain chain("S", store);
  store.items[{"S", "a"}] = "1";
  store.items[{"S", "b"}] = "2";
  store.accountFails = keychain::kNoSuchAttribute;  // named "unknown" in the log, removed anyway
  EXPECT_TRUE(chain.removeAllPasswords());
  EXPECT_TRUE(store.items.empty());
}

TEST(ZqKeychain, AllAccountsIsASetOrNothingOnFailure) {
  FakeStore store;
  ZqKeychain chain("S", store);
  EXPECT_EQ(chain.allAccounts(), std::set<std::string>());
  store.items[{"S", "a"}] = "1";
  store.items[{"S", "b"}] = "2";
  store.items[{"Other", "c"}] = "3";
  EXPECT_EQ(chain.allAccounts(), (std::set<std::string>{"a", "b"}));
  store.findFails = keychain::kNotAvailable;
  EXPECT_EQ(chain.allAccounts(), std::nullopt);
}

TEST(ZqTransientKeychain, HoldsReplacesAndForgetsPasswords) {
  ZqTransientKeychain& store = ZqTransientKeychain::sharedInstance();
  EXPECT_EQ(&store, &ZqTransientKeychain::sharedInstance());
  EXPECT_EQ(store.passwordForAccount("transient@example.com"), std::nullopt);
  store.setPassword("one", "transient@example.com");
  store.setPassword("", "other@example.com");
  store.setPassword("two", "transient@example.com");
  EXPECT_EQ(store.passwordForAccount("transient@example.com"), "two");
  EXPECT_EQ(store.passwordForAccount("other@example.com"), "");
  store.setPassword(std::nullopt, "transient@example.com");
  EXPECT_EQ(store.passwordForAccount("transient@example.com"), std::nullopt);
  EXPECT_EQ(store.passwordForAccount("other@example.com"), "");
  store.setPassword(std::nullopt, "never-stored@example.com");
  store.setPassword(std::nullopt, "other@example.com");
}
