// The text chunks of PNG files found in thumbnail caches and preview folders (anyone may put a
// file there): reading never runs past the input, and tagging a file that starts like a PNG
// yields a file whose own tags read back first.

#include <cstdint>
#include <span>
#include <string>

#include "FuzzSupport.h"
#include "thumbnails/PNGText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const auto text = velquarin::platform::pngTextChunks(input);
  const auto tagged = velquarin::platform::withPNGTextChunks(
      input, {{"Thumb::URI", "file:///x"}, {"Thumb::MTime", "1"}});
  if (tagged.empty()) {
    ZQ_FUZZ_CHECK(text.empty(), std::string(data, data + size));
    return 0;
  }
  const auto again = velquarin::platform::pngTextChunks(tagged);
  ZQ_FUZZ_CHECK(again.at("Thumb::URI") == "file:///x", std::string(data, data + size));
  ZQ_FUZZ_CHECK(again.at("Thumb::MTime") == "1", std::string(data, data + size));
  ZQ_FUZZ_CHECK(tagged.size() > size, std::string(data, data + size));
  return 0;
}
