#include <gtest/gtest.h>

#include "runtime/ClassRegistry.h"
#include "runtime/MethodTable.h"

using velquarin::platform::ClassRegistry;
using velquarin::platform::MethodTable;

TEST(ClassRuntime, KindOfFollowsTheFirstDeclaredChainAndStopsAtRings) {
  auto& classes = ClassRegistry::shared();
  EXPECT_TRUE(classes.declare("RtBase"));
  EXPECT_TRUE(classes.declare("RtWindow", "RtBase"));
  EXPECT_TRUE(classes.declare("RtSubWindow", "RtWindow"));
  EXPECT_FALSE(classes.declare("RtWindow", "RtOther"));
  EXPECT_TRUE(classes.isKindOf("RtSubWindow", "RtBase"));
  EXPECT_FALSE(classes.isKindOf("RtBase", "RtWindow"));
  EXPECT_EQ(classes.chain("RtUnknown"), std::vector<std::string>{"RtUnknown"});

  classes.declare("RtRingA", "RtRingB");
  classes.declare("RtRingB", "RtRingA");
  EXPECT_EQ(classes.chain("RtRingA").size(), 2u);
  EXPECT_FALSE(classes.isKindOf("RtRingA", "RtBase"));
}

TEST(ClassRuntime, ReplacementKeepsTheOriginalAndMayCallIt) {
  ClassRegistry::shared().declare("RtView");
  ClassRegistry::shared().declare("RtWebView", "RtView");
  MethodTable<int(int)> table;
  EXPECT_TRUE(table.add("RtView", "draw", [](int x) { return x + 1; }));
  EXPECT_FALSE(table.add("RtView", "draw", [](int) { return 0; }));
  EXPECT_EQ(table.lookup("RtWebView", "draw")(1), 2);

  // The subclass's replacement gets the inherited method back and chains to it.
  auto original = table.lookup("RtWebView", "draw");
  EXPECT_TRUE(table.replace("RtWebView", "draw", [original](int x) { return original(x) * 10; }));
  EXPECT_EQ(table.lookup("RtWebView", "draw")(1), 20);
  EXPECT_EQ(table.lookup("RtView", "draw")(1), 2);
  EXPECT_FALSE(table.respondsTo("RtView", "missing"));

  // A method that replaces itself while running finishes with the copy it was called through.
  table.replace("RtView", "draw", [&table](int x) {
    table.replace("RtView", "draw", [](int) { return -1; });
    return x;
  });
  EXPECT_EQ(table.lookup("RtView", "draw")(5), 5);
  EXPECT_EQ(table.lookup("RtView", "draw")(5), -1);
}
