// Update feeds as the updater reads them, and the version order it picks updates by: every
// item's properties write as JSON, and the order is antisymmetric and transitive.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "updater/Appcast.h"
#include "updater/VersionComparator.h"

namespace {

using velquarin::platform::updater::compareVersions;

int sign(int value) {
  return (value > 0) - (value < 0);
}

// The input's first three lines as versions.
void checkOrder(std::string_view text) {
  std::array<std::string_view, 3> versions{};
  for (auto& version : versions) {
    const auto end = text.find('\n');
    version = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  const auto detail = [&] {
    return std::string(versions[0]) + " | " + std::string(versions[1]) + " | " +
           std::string(versions[2]);
  };
  for (std::size_t i = 0; i < 3; ++i) {
    ZQ_FUZZ_CHECK(compareVersions(versions[i], versions[i]) == 0, detail());
    for (std::size_t j = 0; j < 3; ++j) {
      ZQ_FUZZ_CHECK(sign(compareVersions(versions[i], versions[j])) ==
                        -sign(compareVersions(versions[j], versions[i])),
                    detail());
    }
  }
  // A total preorder: ties included, the first two orders decide the third.
  const int ab = sign(compareVersions(versions[0], versions[1]));
  const int bc = sign(compareVersions(versions[1], versions[2]));
  const int ac = sign(compareVersions(versions[0], versions[2]));
  if (ab == 0) {
    ZQ_FUZZ_CHECK(ac == bc, detail());
  } else if (bc == 0 || ab == bc) {
    ZQ_FUZZ_CHECK(ac == ab, detail());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto appcast = velquarin::platform::updater::parseAppcast(text, {"de-CH", "en"})) {
    for (const auto& item : appcast->items) {
      // Throws (and so fails) on text that is not UTF-8.
      (void)item.properties.dump();
    }
  }
  checkOrder(text);
  return 0;
}
