#include "Exports.h"
#include "Logging/ZqCrashReporter.h"
#include "Logging/ZqGetRelease.h"
#include "Utilities/ZqConvert.h"

namespace zq::exports {

Napi::Value setupCrashReporter(const ZqArgs& args) {
  ZqSetupCrashReporter(ZqCrashReporterDSN());
  return args.Env().Undefined();
}

Napi::Value testCrash(const ZqArgs& args) {
  ZqTestCrash();
  return args.Env().Undefined();
}

Napi::Value getReleaseString(const ZqArgs& args) {
  return ZqToHostString(args.Env(), ZqGetRelease());
}

}  // namespace zq::exports
