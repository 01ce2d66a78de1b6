#include "windows/WindowRegistry.h"

#include <gtest/gtest.h>

using velquarin::platform::WindowRegistry;

// Lookups of short, foreign and stale handles and the closing notice are pinned by
// tests/js/conversions.test.js and tests/js/platform.test.js.
TEST(WindowRegistry, AFreshWindowNeverTakesAClosedWindowsHandle) {
  auto& registry = WindowRegistry::shared();
  auto a = registry.create("AtomNSWindow");
  auto b = registry.create("OtherWindow");
  EXPECT_NE(a->handle(), b->handle());
  EXPECT_EQ(registry.windowsOfClass("OtherWindow").size(), 1u);
  registry.close(a->handle());
  registry.close(b->handle());
  EXPECT_FALSE(a->isOpen());
  EXPECT_NE(registry.create("AtomNSWindow")->handle(), a->handle());
}
