#include "windows/WindowRegistry.h"

#include <gtest/gtest.h>

#include "notificationcenter/NotificationCenter.h"

using velquarin::platform::NotificationCenter;
using velquarin::platform::WindowRegistry;

TEST(WindowRegistry, HandlesAreUniqueAndStaleOnesFindNothing) {
  auto& registry = WindowRegistry::shared();
  auto a = registry.create("AtomNSWindow");
  auto b = registry.create("OtherWindow");
  EXPECT_NE(a->handle(), b->handle());
  auto bytes = WindowRegistry::bytesOf(a->handle());
  EXPECT_EQ(registry.find(std::span<const uint8_t>(bytes)), a);
  EXPECT_EQ(registry.find(std::span<const uint8_t>(bytes.data(), 7)), nullptr);
  EXPECT_EQ(registry.windowsOfClass("OtherWindow").size(), 1u);

  int closing = 0;
  auto id = NotificationCenter::defaultCenter().addObserver(
      velquarin::platform::kWindowWillCloseNotification, a.get(),
      NotificationCenter::Delivery::Posting, [&](const auto&) { ++closing; });
  registry.close(a->handle());
  registry.close(a->handle());
  NotificationCenter::defaultCenter().removeObserver(id);
  EXPECT_EQ(closing, 1);
  EXPECT_FALSE(a->isOpen());
  EXPECT_EQ(registry.find(a->handle()), nullptr);
  registry.close(b->handle());
  // A fresh window never takes a closed window's handle.
  EXPECT_NE(registry.create("AtomNSWindow")->handle(), a->handle());
}
