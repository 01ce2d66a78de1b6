#include "Utilities/ZqNotAvailable.h"

#include "Utilities/ZqLog.h"

Napi::Value ZqNotAvailableYet(const ZqArgs& args, const char* name) {
  ZQ_LOG_ERROR("%@ is not available yet in this build", name);
  return args.Env().Undefined();
}
