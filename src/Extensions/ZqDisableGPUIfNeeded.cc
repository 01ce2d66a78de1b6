#include "Extensions/ZqDisableGPUIfNeeded.h"

#include "Extensions/ZqIsRosetta.h"
#include "Utilities/ZqLog.h"
#include "defaults/UserDefaults.h"

namespace {

void writeStandardUserDefault(const std::string& key, bool value) {
  velquarin::platform::UserDefaults::standard()->set(key, velquarin::platform::PlistValue(value));
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
