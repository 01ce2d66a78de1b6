#pragma once

#include <napi.h>

// A step of the module's start-up, registered by the subsystem it belongs to and run by
// Init in ascending order (the order numbers are the start-up sequence's step numbers).
using ZqStartupFunction = void (*)(Napi::Env env);

struct ZqStartupStep {
  ZqStartupStep(int order, const char* name, ZqStartupFunction run);
};

// Runs every registered step between `firstOrder` and `lastOrder`, in order.
void ZqRunStartupSteps(Napi::Env env, int firstOrder, int lastOrder);
