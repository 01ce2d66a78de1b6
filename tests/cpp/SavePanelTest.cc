#include "dialogs/SavePanel.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "runloop/MainQueue.h"
#include "windows/WindowRegistry.h"

using velquarin::platform::MainQueue;
using velquarin::platform::SavePanel;
using velquarin::platform::WindowRegistry;

namespace {

struct Ended {
  int calls = 0;
  SavePanel::Response response = SavePanel::Response::OK;
  std::string path;
  SavePanel::Completion completion() {
    return [this](SavePanel::Response r, const std::string& p) { ++calls, response = r, path = p; };
  }
};

}  // namespace

TEST(SavePanel, OneSheetAWindowEndedWithAPathOrACancel) {
  auto window = WindowRegistry::shared().create("AtomNSWindow");
  auto panel = std::make_shared<SavePanel>();
  panel->directory = "/srv/exports";
  panel->nameFieldStringValue = "report.pdf";
  Ended first;
  ASSERT_TRUE(SavePanel::beginSheet(panel, *window, first.completion()));
  EXPECT_EQ(SavePanel::sheetOf(window->handle()), panel);
  Ended second;
  EXPECT_FALSE(SavePanel::beginSheet(std::make_shared<SavePanel>(), *window, second.completion()));

  EXPECT_TRUE(SavePanel::endSheet(window->handle(), std::string("renamed.pdf")));
  MainQueue::shared().drain();
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(first.response, SavePanel::Response::OK);
  EXPECT_EQ(first.path, "/srv/exports/renamed.pdf");  // a bare name lands in the folder
  EXPECT_EQ(SavePanel::sheetOf(window->handle()), nullptr);
  EXPECT_FALSE(SavePanel::endSheet(window->handle(), std::nullopt));

  Ended third;
  ASSERT_TRUE(SavePanel::beginSheet(std::make_shared<SavePanel>(), *window, third.completion()));
  EXPECT_TRUE(SavePanel::endSheet(window->handle(), std::nullopt));
  MainQueue::shared().drain();
  EXPECT_EQ(third.calls, 1);
  EXPECT_EQ(third.response, SavePanel::Response::Cancel);
  EXPECT_EQ(second.calls, 0);
  WindowRegistry::shared().close(window->handle());
}

TEST(SavePanel, ClosingTheWindowCancelsItsSheetOnce) {
  auto window = WindowRegistry::shared().create("AtomNSWindow");
  Ended ended;
  ASSERT_TRUE(SavePanel::beginSheet(std::make_shared<SavePanel>(), *window, ended.completion()));
  const auto handle = window->handle();
  WindowRegistry::shared().close(handle);
  MainQueue::shared().drain();
  EXPECT_EQ(ended.calls, 1);
  EXPECT_EQ(ended.response, SavePanel::Response::Cancel);
  EXPECT_EQ(SavePanel::sheetOf(handle), nullptr);
  // A closed window takes no new sheet.
  Ended late;
  EXPECT_FALSE(SavePanel::beginSheet(std::make_shared<SavePanel>(), *window, late.completion()));
}

TEST(SavePanel, WithoutAFolderItStartsAtHome) {
  SavePanel panel;
  const char* home = std::getenv("HOME");
  EXPECT_EQ(panel.effectiveDirectory(), home && *home == '/' ? home : "/");
}
