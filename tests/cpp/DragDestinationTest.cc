#include <gtest/gtest.h>

#include "WebView/ZqReplaceMethod.h"
#include "runtime/ClassRegistry.h"
#include "windows/View.h"

using namespace velquarin::platform;

namespace {

class NoDrag : public DraggingInfo {
 public:
  Point draggingLocation() const override { return {}; }
  std::shared_ptr<Pasteboard> draggingPasteboard() const override { return nullptr; }
  std::shared_ptr<Window> draggingDestinationWindow() const override { return nullptr; }
  unsigned long draggingSourceOperationMask() const override { return 1; }
  long draggingSequenceNumber() const override { return 0; }
};

}  // namespace

TEST(DragDestination, ASecondInstallKeepsTheOriginalAndCannotRecurse) {
  ClassRegistry::shared().declare("DdWebView");
  auto& methods = draggingDestinationMethods();
  int own = 0, wrapped = 0;
  methods.add("DdWebView", "draggingEntered:", [&](View&, const DraggingInfo&) {
    ++own;
    return 7ul;
  });
  auto interceptor = [&](View& view, const DraggingInfo& info) {
    ++wrapped;
    return sendDragMessage(view, "draggingEntered_:", info).value_or(0) + 1;
  };
  ZqReplaceMethod("DdWebView", "draggingEntered:", "draggingEntered_:", interceptor);
  ZqReplaceMethod("DdWebView", "draggingEntered:", "draggingEntered_:", interceptor);
  auto view = View::create("DdWebView");
  EXPECT_EQ(sendDragMessage(*view, "draggingEntered:", NoDrag()), 8ul);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(wrapped, 1);
}

TEST(DragDestination, ViewTreesRefuseCyclesAndHitTheDeepestTaker) {
  auto root = View::create("NSView", {0, 0, 100, 100});
  auto child = View::create("DdTaker", {10, 10, 50, 50});
  auto grandchild = View::create("NSView", {0, 0, 10, 10});
  ASSERT_TRUE(root->addSubview(child));
  ASSERT_TRUE(child->addSubview(grandchild));
  EXPECT_FALSE(grandchild->addSubview(root));
  EXPECT_FALSE(child->addSubview(child));
  auto takes = [](const View& view) { return view.className() == "DdTaker"; };
  EXPECT_EQ(root->hitTest({15, 15}, takes), child);    // inside the grandchild, which takes none
  EXPECT_EQ(root->hitTest({60, 60}, takes), nullptr);  // the child's upper edges are outside
  EXPECT_EQ(root->hitTest({5, 5}, takes), nullptr);
  grandchild->removeFromSuperview();
  EXPECT_TRUE(child->subviews().empty());
  EXPECT_EQ(grandchild->superview(), nullptr);
}
