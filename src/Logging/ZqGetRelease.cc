#include "Logging/ZqGetRelease.h"

#include <mutex>

#include "Utilities/ZqFormat.h"
#include "bundle/Bundle.h"

const std::string& ZqGetRelease() {
  static std::once_flag once;
  static std::string release;
  // Cached: a bundle replaced while the process runs is not the build that is running.
  std::call_once(once, [] {
    const auto bundle = velquarin::platform::Bundle::main();
    release = ZqFormat("%@ (%@)", bundle->infoString("CFBundleShortVersionString"),
                       bundle->infoString("CFBundleVersion"));
  });
  return release;
}
