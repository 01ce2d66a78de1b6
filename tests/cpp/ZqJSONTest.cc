#include "Utilities/ZqJSON.h"

#include <gtest/gtest.h>

#include <string>

#include "Utilities/ZqSourceName.h"

TEST(ZqJSON, WritesCompactTextOfObjectsAndArraysOnly) {
  EXPECT_EQ(ZqConvertToJSONString({{"ok?", true}, {"error", nullptr}}),
            "{\"error\":null,\"ok?\":true}");
  EXPECT_EQ(ZqConvertToJSONString(nlohmann::json::array({1, "a"})), "[1,\"a\"]");
  EXPECT_EQ(ZqConvertToJSONString(nlohmann::json("scalar")), std::nullopt);
  // A string that is not UTF-8 cannot be written: a failure, never a throw.
  EXPECT_EQ(ZqConvertToJSONString({{"bad", std::string("\xff\xfe")}}), std::nullopt);
}

TEST(ZqJSON, ParsesObjectsAndArraysAndReportsWhyOthersFail) {
  std::string error;
  auto value = ZqConvertFromJSONString("{\"a\":[1,2]}", &error);
  ASSERT_TRUE(value);
  EXPECT_EQ((*value)["a"][1], 2);
  EXPECT_FALSE(ZqConvertFromJSONString("3", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ZqConvertFromJSONString("{\"a\":", &error));
  EXPECT_FALSE(ZqConvertFromJSONString("", nullptr));
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_FALSE(ZqConvertFromJSONString(deep, &error));
  EXPECT_EQ(error, "JSON text is nested too deeply");
  // 512 levels are the most accepted; siblings do not add up.
  const auto nested = [](int levels) {
    return std::string(levels, '[') + std::string(levels, ']') + "," + std::string(levels, '[');
  };
  EXPECT_TRUE(ZqConvertFromJSONString("[" + nested(511) + std::string(511, ']') + "]", nullptr));
  EXPECT_FALSE(ZqConvertFromJSONString("[" + nested(512) + std::string(512, ']') + "]", nullptr));
}

TEST(ZqSourceName, NamesFilesBelowSrcWithoutExtension) {
  static_assert(ZqSourcePath("/a/src/Keychain/ZqKeyChain.cc") == "Keychain/ZqKeyChain");
  static_assert(ZqSourceBaseName("/a/src/Services/ZqServicesProvider.cc") == "ZqServicesProvider");
  static_assert(ZqSourcePath("/x/src/VelquarinNative.cc") == "VelquarinNative");
  SUCCEED();
}
