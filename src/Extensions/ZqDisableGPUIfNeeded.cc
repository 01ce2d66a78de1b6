#include "Extensions/ZqDisableGPUIfNeeded.h"

#include "Extensions/ZqIsRosetta.h"
#include "Utilities/ZqLog.h"

namespace {

// PENDING: the standard user-defaults store is built by the defaults subsystem. Until it is
// wired in here the write is reported as not done. Unreachable on Linux today, where no
// process runs translated.
void writeStandardUserDefault(const std::string& key, bool value) {
  ZQ_LOG_ERROR("User defaults are not available: %@ was not set to %d", key, value);
}

}  // namespace

void ZqDisableGPUIfNeeded(bool translated, const ZqBoolDefaultWriter& writeDefault) {
  if (translated) {
    writeDefault("DisableGPU", true);
    ZQ_LOG_INFO("Process is running inside Rosetta2, set DisableGPU=YES");
  } else {
    ZQ_LOG_INFO("Process is running natively, keeping DisableGPU unchanged");
  }
}

void ZqDisableGPUIfNeeded() {
  ZqDisableGPUIfNeeded(ZqIsRosetta(), writeStandardUserDefault);
}
