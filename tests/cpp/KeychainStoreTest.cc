#include <gio/gio.h>
#include <gtest/gtest.h>
#include <libsecret/secret.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "keychain/BoundedWorker.h"
#include "keychain/Keychain.h"
#include "keychain/SecretServiceStore.h"

namespace keychain = velquarin::platform::keychain;
using namespace std::chrono_literals;

namespace {

keychain::Status statusFor(GQuark domain, int code) {
  GError* error = g_error_new_literal(domain, code, "test");
  const keychain::Status status = keychain::statusForError(error);
  g_error_free(error);
  return status;
}

}  // namespace

TEST(KeychainStatus, BusAndServiceErrorsMapToTheStoresCodes) {
  // No bus, nobody serving the name, a bus that went away: the store is not available.
  EXPECT_EQ(statusFor(G_IO_ERROR, G_IO_ERROR_NOT_FOUND), keychain::kNotAvailable);
  EXPECT_EQ(statusFor(G_IO_ERROR, G_IO_ERROR_CONNECTION_REFUSED), keychain::kNotAvailable);
  EXPECT_EQ(statusFor(G_IO_ERROR, G_IO_ERROR_CLOSED), keychain::kNotAvailable);
  EXPECT_EQ(statusFor(G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN), keychain::kNotAvailable);
  EXPECT_EQ(statusFor(G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER), keychain::kNotAvailable);
  EXPECT_EQ(statusFor(G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_CHILD_EXITED), keychain::kNotAvailable);
  // A locked collection, a vanished item, a duplicate.
  EXPECT_EQ(statusFor(SECRET_ERROR, SECRET_ERROR_IS_LOCKED), keychain::kInteractionNotAllowed);
  EXPECT_EQ(statusFor(SECRET_ERROR, SECRET_ERROR_NO_SUCH_OBJECT), keychain::kInvalidItemRef);
  EXPECT_EQ(statusFor(G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT), keychain::kInvalidItemRef);
  EXPECT_EQ(statusFor(SECRET_ERROR, SECRET_ERROR_ALREADY_EXISTS), keychain::kDuplicateItem);
  // Given up on, or no answer.
  EXPECT_EQ(statusFor(G_IO_ERROR, G_IO_ERROR_CANCELLED), keychain::kTimedOut);
  EXPECT_EQ(statusFor(G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY), keychain::kTimedOut);
  // Everything else is one fixed code.
  EXPECT_EQ(statusFor(SECRET_ERROR, SECRET_ERROR_PROTOCOL), keychain::kInternalError);
  EXPECT_EQ(statusFor(G_DBUS_ERROR, G_DBUS_ERROR_ACCESS_DENIED), keychain::kInternalError);
  EXPECT_EQ(statusFor(G_FILE_ERROR, G_FILE_ERROR_NOENT), keychain::kInternalError);
  EXPECT_EQ(keychain::statusForError(nullptr), keychain::kInternalError);
}

TEST(KeychainStatus, TheCallTimeoutTakesOnlySensibleValues) {
  const double before = keychain::callTimeout();
  keychain::setCallTimeout(0.25);
  EXPECT_EQ(keychain::callTimeout(), 0.25);
  keychain::setCallTimeout(0);
  keychain::setCallTimeout(-3);
  keychain::setCallTimeout(std::numeric_limits<double>::infinity());
  EXPECT_EQ(keychain::callTimeout(), 0.25);
  keychain::setCallTimeout(before);
}

TEST(BoundedWorker, AJobThatOverrunsIsCancelledAndTheCallerGoesOn) {
  keychain::BoundedWorker worker;
  auto sawCancel = std::make_shared<std::promise<void>>();
  auto cancelled = sawCancel->get_future();
  const auto start = std::chrono::steady_clock::now();
  auto result = worker.run<int>(
      [sawCancel](GCancellable* cancellable) {
        const auto giveUp = std::chrono::steady_clock::now() + 20s;
        while (!g_cancellable_is_cancelled(cancellable)) {
          if (std::chrono::steady_clock::now() > giveUp) return 0;
          std::this_thread::sleep_for(1ms);
        }
        sawCancel->set_value();
        return 1;
      },
      100ms);
  EXPECT_FALSE(result.has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(cancelled.wait_for(10s), std::future_status::ready);
}

TEST(BoundedWorker, AJobGivenUpOnWhileQueuedNeverRuns) {
  keychain::BoundedWorker worker;
  auto release = std::make_shared<std::promise<void>>();
  auto released = release->get_future().share();
  auto queuedRuns = std::make_shared<std::atomic<int>>(0);

  // The first job ignores its cancellation and holds the worker until released.
  EXPECT_FALSE(worker.run<int>([released](GCancellable*) { return released.wait(), 1; }, 50ms));
  EXPECT_FALSE(worker.run<int>([queuedRuns](GCancellable*) { return ++*queuedRuns; }, 50ms));
  release->set_value();
  EXPECT_EQ(worker.run<int>([](GCancellable*) { return 7; }, 10s), 7);
  EXPECT_EQ(queuedRuns->load(), 0);
}
