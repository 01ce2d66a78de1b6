#include "Defaults/ZqUserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "defaults/UserDefaults.h"

using velquarin::platform::PlistArray;
using velquarin::platform::PlistData;
using velquarin::platform::PlistDate;
using velquarin::platform::PlistDictionary;
using velquarin::platform::PlistValue;
using velquarin::platform::UserDefaults;

namespace {

ZqUserDefaultOutput hostValue(std::optional<PlistValue> stored) {
  return ZqUserDefaultHostValue(stored);
}

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

}  // namespace

TEST(ZqUserDefaultHostValue, NumbersThatEqualTheirBooleanReadAsBooleans) {
  EXPECT_EQ(hostValue(PlistValue(true)), ZqUserDefaultOutput(true));
  EXPECT_EQ(hostValue(PlistValue(false)), ZqUserDefaultOutput(false));
  EXPECT_EQ(hostValue(PlistValue(1)), ZqUserDefaultOutput(true));
  EXPECT_EQ(hostValue(PlistValue(0)), ZqUserDefaultOutput(false));
  EXPECT_EQ(hostValue(PlistValue(1.0)), ZqUserDefaultOutput(true));
  EXPECT_EQ(hostValue(PlistValue(-0.0)), ZqUserDefaultOutput(false));
  EXPECT_EQ(hostValue(PlistValue(1.9)), ZqUserDefaultOutput(true));  // integer 1, non-zero
}

TEST(ZqUserDefaultHostValue, OtherNumbersReadAsInt32CutTowardsZero) {
  EXPECT_EQ(hostValue(PlistValue(7)), ZqUserDefaultOutput(std::int32_t{7}));
  EXPECT_EQ(hostValue(PlistValue(-1)), ZqUserDefaultOutput(std::int32_t{-1}));
  EXPECT_EQ(hostValue(PlistValue(2.5)), ZqUserDefaultOutput(std::int32_t{2}));
  EXPECT_EQ(hostValue(PlistValue(-2.5)), ZqUserDefaultOutput(std::int32_t{-2}));
  // Non-zero but integer 0: not equal to its boolean, so the integer.
  EXPECT_EQ(hostValue(PlistValue(0.5)), ZqUserDefaultOutput(std::int32_t{0}));
  EXPECT_EQ(hostValue(PlistValue(std::nan(""))), ZqUserDefaultOutput(std::int32_t{0}));
  // Beyond int32 the value saturates: wrapping 2^32 + 1 would even read as true.
  EXPECT_EQ(hostValue(PlistValue(std::int64_t{4294967297})), ZqUserDefaultOutput(kInt32Max));
  EXPECT_EQ(hostValue(PlistValue(-1e300)), ZqUserDefaultOutput(kInt32Min));
  EXPECT_EQ(hostValue(PlistValue(std::numeric_limits<double>::infinity())),
            ZqUserDefaultOutput(kInt32Max));
}

TEST(ZqUserDefaultHostValue, StringsPassAndOtherKindsAreUndefined) {
  EXPECT_EQ(hostValue(std::nullopt), ZqUserDefaultOutput(nullptr));
  EXPECT_EQ(hostValue(PlistValue("")), ZqUserDefaultOutput(std::string()));
  EXPECT_EQ(hostValue(PlistValue("1")), ZqUserDefaultOutput(std::string("1")));
  const ZqUserDefaultOutput undefined = ZqUndefinedDefault{};
  EXPECT_EQ(hostValue(PlistValue(PlistArray{PlistValue(1)})), undefined);
  EXPECT_EQ(hostValue(PlistValue(PlistDictionary{})), undefined);
  EXPECT_EQ(hostValue(PlistValue(PlistData{1})), undefined);
  EXPECT_EQ(hostValue(PlistValue(PlistDate{0})), undefined);
}

TEST(ZqUserDefaults, SetStoresRemovesOrRefusesByTheHostValuesKind) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "zq-defaults-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const char* previous = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = previous ? previous : "";
  ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);

  ZqSetUserDefault("k", ZqUserDefaultInput(std::int32_t{7}));
  EXPECT_EQ(UserDefaults::standard()->value("k"), PlistValue(7));
  ZqSetUserDefault("k", ZqUserDefaultInput(std::monostate{}));  // logged, nothing changes
  EXPECT_EQ(ZqGetUserDefault("k"), ZqUserDefaultOutput(std::int32_t{7}));
  ZqSetUserDefault("k", ZqUserDefaultInput(true));
  EXPECT_EQ(UserDefaults::standard()->value("k"), PlistValue(true));
  ZqSetUserDefault("k", ZqUserDefaultInput(std::string("héllo")));
  EXPECT_EQ(ZqGetUserDefault("k"), ZqUserDefaultOutput(std::string("héllo")));
  ZqSetUserDefault("k", ZqUserDefaultInput(nullptr));
  EXPECT_EQ(ZqGetUserDefault("k"), ZqUserDefaultOutput(nullptr));

  ZqSetUserDefault("gone", ZqUserDefaultInput(std::int32_t{1}));
  ZqRemoveUserDefault("gone");
  ZqSynchronizeUserDefaults();
  EXPECT_FALSE(UserDefaults::standard()->hasPendingChanges());
  EXPECT_EQ(UserDefaults::open(UserDefaults::standard()->path(), "copy")->value("gone"),
            std::nullopt);

  if (previous) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  fs::remove_all(pattern);
}
