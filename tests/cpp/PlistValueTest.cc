#include "plist/PlistValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plist/PlistNesting.h"
#include "plist/PlistWriter.h"

using namespace velquarin::platform;

namespace {

PlistValue roundTrip(const PlistValue& value, PlistFormat format = PlistFormat::Xml) {
  auto back = parsePlistValue(writePlistValue(value, format));
  EXPECT_TRUE(back.has_value());
  return back.value_or(PlistValue());
}

std::string nestedXml(std::size_t depth, const char* open = "<array>",
                      const char* close = "</array>") {
  std::string xml = "<plist version=\"1.0\">";
  for (std::size_t i = 0; i < depth; ++i) xml += open;
  for (std::size_t i = 0; i < depth; ++i) xml += close;
  return xml + "</plist>";
}

// A binary list whose object i is an array of the objects `children[i]` (4-byte references
// and offsets); object 0 is the root.
std::string binaryList(const std::vector<std::vector<std::uint32_t>>& children) {
  auto be = [](std::string& out, std::uint64_t v, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
      out += static_cast<char>((v >> shift) & 0xFF);
    }
  };
  std::string data = "bplist00";
  std::vector<std::uint32_t> offsets;
  for (const auto& refs : children) {
    offsets.push_back(static_cast<std::uint32_t>(data.size()));
    data += static_cast<char>(0xA0 | refs.size());
    for (auto ref : refs) be(data, ref, 4);
  }
  const auto table = data.size();
  for (auto offset : offsets) be(data, offset, 4);
  data += std::string(6, '\0');
  data += static_cast<char>(4);
  data += static_cast<char>(4);
  be(data, children.size(), 8);
  be(data, 0, 8);
  be(data, table, 8);
  return data;
}

// `depth` arrays, each holding the next; with `cycle` the last holds the first.
std::string nestedBinary(std::uint32_t depth, bool cycle = false) {
  std::vector<std::vector<std::uint32_t>> children;
  for (std::uint32_t i = 0; i < depth; ++i) {
    children.push_back({cycle && i + 1 == depth ? 0 : i + 1});
  }
  if (!cycle) children.push_back({});
  return binaryList(children);
}

}  // namespace

TEST(PlistValue, ConstructorsPickTheKindACallerMeans) {
  EXPECT_EQ(PlistValue("text").type(), PlistValue::Type::String);
  EXPECT_EQ(PlistValue(true).type(), PlistValue::Type::Boolean);
  EXPECT_EQ(PlistValue(7).type(), PlistValue::Type::Integer);
  EXPECT_EQ(PlistValue(7u).type(), PlistValue::Type::Integer);
  EXPECT_EQ(PlistValue(2.5).type(), PlistValue::Type::Real);
  const PlistValue huge(std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(huge.type(), PlistValue::Type::Integer);
  EXPECT_EQ(huge.asUnsignedInteger(), std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(PlistValue(true).numberValue(), 1.0);
  EXPECT_EQ(PlistValue("1").numberValue(), std::nullopt);
}

TEST(PlistValue, EveryKindSurvivesBothForms) {
  PlistDictionary nested{{"inner", PlistValue(PlistArray{PlistValue(1), PlistValue("two")})}};
  PlistDictionary all{
      {"yes", PlistValue(true)},
      {"no", PlistValue(false)},
      {"min", PlistValue(std::numeric_limits<std::int64_t>::min())},
      {"max", PlistValue(std::numeric_limits<std::int64_t>::max())},
      {"unsigned", PlistValue(std::numeric_limits<std::uint64_t>::max())},
      {"negative", PlistValue(-5)},
      {"tenth", PlistValue(0.1)},
      {"tiny", PlistValue(1e-300)},
      {"infinite", PlistValue(-std::numeric_limits<double>::infinity())},
      {"text", PlistValue("a<b>&\"c' \t\r\n é 😀 ]]> &#x41;")},
      {"padded", PlistValue("  both ends  ")},
      {"empty", PlistValue("")},
      {"bytes", PlistValue(PlistData{0, 1, 2, 0xFF, 0})},
      {"no bytes", PlistValue(PlistData{})},
      {"date", PlistValue(PlistDate{1700000000})},
      {"year 1", PlistValue(PlistDate{-63113904000})},
      {"year 9999", PlistValue(PlistDate{252423993599})},
      {"list", PlistValue(PlistArray{PlistValue(PlistDictionary{}), PlistValue(PlistArray{})})},
      {"nested", PlistValue(nested)},
      {"key <&> ünïcode", PlistValue(1)},
  };
  EXPECT_EQ(roundTrip(PlistValue(all)), PlistValue(all));
  EXPECT_EQ(roundTrip(PlistValue(all), PlistFormat::Binary), PlistValue(all));
  EXPECT_TRUE(std::signbit(*roundTrip(PlistValue(-0.0)).asReal()));
}

TEST(PlistValue, DatesKeepWholeSecondsInXmlAndEveryBitInBinary) {
  const PlistDate fraction{-3187296000.123457};
  EXPECT_EQ(roundTrip(PlistValue(fraction)).asDate()->sinceReferenceDate, -3187296001);
  EXPECT_EQ(roundTrip(PlistValue(fraction), PlistFormat::Binary).asDate(), fraction);
  // Beyond year 9999 only the binary form can hold a date.
  EXPECT_EQ(roundTrip(PlistValue(PlistDate{1e12})).asDate(), PlistDate{1e12});
  // A string XML cannot carry moves the list to the binary form rather than losing it.
  EXPECT_EQ(roundTrip(PlistValue("bell \x07 \xEF\xBF\xBF")), PlistValue("bell \x07 \xEF\xBF\xBF"));
}

TEST(PlistValue, MalformedInputParsesToNothing) {
  EXPECT_FALSE(parsePlistValue("").has_value());
  EXPECT_FALSE(parsePlistValue("hello").has_value());
  EXPECT_FALSE(parsePlistValue("<plist><dict><key>a</key>").has_value());
  EXPECT_FALSE(parsePlistValue("bplist00garbage").has_value());
}

TEST(PlistNesting, DeepXmlIsRefusedBeforeLibplistRecursesIntoIt) {
  EXPECT_TRUE(propertyListNestingWithin(nestedXml(kMaxPropertyListNesting)));
  EXPECT_FALSE(propertyListNestingWithin(nestedXml(kMaxPropertyListNesting + 1)));
  EXPECT_FALSE(propertyListNestingWithin(nestedXml(600, "<dict >", "</dict>")));
  EXPECT_TRUE(parsePlistValue(nestedXml(100)).has_value());
  // Would overflow the stack when the tree is freed, if it were ever built.
  EXPECT_FALSE(parsePropertyList(nestedXml(1000000)));
}

TEST(PlistNesting, OnlyRealContainerTagsCount) {
  std::string flat = "<plist><array>";
  for (int i = 0; i < 1000; ++i)
    flat += "<array/><dict/><!-- <array> --><string><![CDATA[<dict>]]></string>";
  flat += "</array></plist>";
  EXPECT_TRUE(propertyListNestingWithin(flat));
  auto parsed = parsePlistValue(flat);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->asArray()->size(), 3000u);
}

TEST(PlistNesting, DeepOrCyclicBinaryListsAreRefused) {
  EXPECT_TRUE(propertyListNestingWithin(nestedBinary(10)));
  auto shallow = parsePlistValue(nestedBinary(10));
  ASSERT_TRUE(shallow.has_value());
  EXPECT_EQ(shallow->type(), PlistValue::Type::Array);
  EXPECT_FALSE(propertyListNestingWithin(nestedBinary(kMaxPropertyListNesting + 1)));
  // libplist itself recurses once per level here and crashes; the guard stops it first.
  EXPECT_FALSE(parsePropertyList(nestedBinary(200000)));
  EXPECT_FALSE(propertyListNestingWithin(nestedBinary(5, true)));
}

TEST(PlistNesting, SharedBinaryObjectsAreWalkedOnce) {
  // Each level references the next one twice: 2^40 paths through 41 objects.
  std::vector<std::vector<std::uint32_t>> children;
  for (std::uint32_t i = 0; i < 40; ++i) children.push_back({i + 1, i + 1});
  children.push_back({});
  const auto binary = binaryList(children);
  EXPECT_TRUE(propertyListNestingWithin(binary));
  EXPECT_FALSE(propertyListNestingWithin(binary, 40));
  EXPECT_TRUE(propertyListNestingWithin(binary, 41));
}

// Binary lists written by the desktop's own writer: {"k": "x\0y"}, {"a\0b": "x"}, and
// UTF-16 strings "é\0", "éa" and "\u0100\u0001" (bytes 01 00 00 01: zero bytes, no zero unit).
const std::string kNulInString(
    "bplist00\xd1\x01\x02\x51\x6b\x53\x78\x00\x79\x08\x0b\x0d\x00\x00\x00\x00\x00\x00\x01\x01"
    "\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x11",
    52);
const std::string kNulInKey(
    "bplist00\xd1\x01\x02\x53\x61\x00\x62\x51\x78\x08\x0b\x0f\x00\x00\x00\x00\x00\x00\x01\x01"
    "\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x11",
    52);
const std::string kUtf16WithNul(
    "bplist00\xd1\x01\x02\x51\x6b\x62\x00\xe9\x00\x00\x08\x0b\x0d\x00\x00\x00\x00\x00\x00\x01"
    "\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x12",
    53);
const std::string kUtf16(
    "bplist00\xd1\x01\x02\x51\x6b\x62\x00\xe9\x00\x61\x08\x0b\x0d\x00\x00\x00\x00\x00\x00\x01"
    "\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x12",
    53);
const std::string kUtf16ZeroBytes(
    "bplist00\xd1\x01\x02\x51\x6b\x62\x01\x00\x00\x01\x08\x0b\x0d\x00\x00\x00\x00\x00\x00\x01"
    "\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x12",
    53);

// libplist aborts the process when it hands out a string holding NUL: such lists never
// reach it.
TEST(PlistStrings, ListsWithNulInAStringOrKeyAreRefused) {
  EXPECT_FALSE(parsePlistValue(kNulInString).has_value());
  EXPECT_FALSE(parsePlistValue(kNulInKey).has_value());
  EXPECT_FALSE(parsePlistValue(kUtf16WithNul).has_value());
  EXPECT_FALSE(parsePropertyList(kNulInKey));
  const char kXml[] =
      "<plist version=\"1.0\"><dict><key>k</key><string>x\0y</string></dict></plist>";
  const std::string xml(kXml, sizeof kXml - 1);
  EXPECT_FALSE(parsePlistValue(xml).has_value());

  const auto utf16 = parsePlistValue(kUtf16);
  ASSERT_TRUE(utf16.has_value());
  EXPECT_EQ(*utf16->asDictionary()->at("k").asString(),
            "\xc3\xa9"
            "a");
  const auto zeroBytes = parsePlistValue(kUtf16ZeroBytes);
  ASSERT_TRUE(zeroBytes.has_value());
  EXPECT_EQ(*zeroBytes->asDictionary()->at("k").asString(), "\xc4\x80\x01");
}
