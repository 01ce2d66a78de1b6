#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "thumbnails/InstalledThumbnailer.h"
#include "thumbnails/PNGText.h"

using velquarin::platform::pngTextChunks;
using velquarin::platform::withPNGTextChunks;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes minimalPNG() {
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  png.insert(png.end(), 13 + 4, 0);  // header body and CRC (not checked here)
  for (const char* tail : {"\0\0\0\0IDAT\0\0\0\0", "\0\0\0\0IEND\0\0\0\0"})
    png.insert(png.end(), tail, tail + 12);
  return png;
}

}  // namespace

TEST(PNGText, RoundTripsWithValidChunks) {
  const Bytes tagged = withPNGTextChunks(
      minimalPNG(), {{"Thumb::URI", "file:///a%20b.pdf"}, {"Thumb::MTime", "17"}});
  const auto text = pngTextChunks(tagged);
  EXPECT_EQ(text.at("Thumb::URI"), "file:///a%20b.pdf");
  EXPECT_EQ(text.at("Thumb::MTime"), "17");
  // Each inserted chunk's CRC covers its type and body, as decoders check.
  std::size_t at = 33;
  for (int chunk = 0; chunk < 2; ++chunk) {
    const std::uint32_t length =
        (tagged[at] << 24) | (tagged[at + 1] << 16) | (tagged[at + 2] << 8) | tagged[at + 3];
    const std::uint32_t crc = ::crc32(0, tagged.data() + at + 4, length + 4);
    const std::uint8_t* stored = tagged.data() + at + 8 + length;
    EXPECT_EQ(crc,
              std::uint32_t((stored[0] << 24) | (stored[1] << 16) | (stored[2] << 8) | stored[3]));
    at += 12 + length;
  }
}

TEST(PNGText, RefusesWhatItCannotWriteAndReadsHostileFilesSafely) {
  EXPECT_TRUE(withPNGTextChunks(minimalPNG(), {{"", "x"}}).empty());
  EXPECT_TRUE(withPNGTextChunks(minimalPNG(), {{std::string(80, 'k'), "x"}}).empty());
  EXPECT_TRUE(withPNGTextChunks(Bytes{1, 2, 3}, {{"k", "v"}}).empty());

  const Bytes base = minimalPNG();
  Bytes lying = withPNGTextChunks(base, {{"k", "v"}});
  lying[33] = 0x7F;  // a length far past the end
  Bytes afterData = minimalPNG();
  const Bytes late = withPNGTextChunks(minimalPNG(), {{"late", "v"}});
  afterData.insert(afterData.end() - 12, late.begin() + 33, late.end() - 24);
  const std::vector<Bytes> inputs{
      {}, Bytes(8, 0), lying, Bytes(base.begin(), base.begin() + 40), afterData};
  for (const auto& input : inputs) EXPECT_TRUE(pngTextChunks(input).empty());
}

TEST(InstalledThumbnailer, EachCodeIsReplacedInsideItsOwnArgument) {
  velquarin::platform::InstalledThumbnailer entry;
  entry.exec = {"/bin/t", "-s", "%s", "%i", "in=%i;out=%o", "100%%", "%u", "%x%", ""};
  const std::string hostile = "/tmp/a b;$(x) %o.pdf";
  const std::vector<std::string> expected{
      "-s", "128", hostile, "in=" + hostile + ";out=/o.png", "100%", "file:///u", "%", ""};
  EXPECT_EQ(entry.arguments(hostile, "file:///u", "/o.png", 128), expected);
}
