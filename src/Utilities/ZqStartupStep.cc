#include "Utilities/ZqStartupStep.h"

#include <algorithm>
#include <vector>

#include "Utilities/ZqLog.h"

namespace {

struct Step {
  int order;
  const char* name;
  ZqStartupFunction run;
};

std::vector<Step>& steps() {
  static std::vector<Step> list;
  return list;
}

}  // namespace

ZqStartupStep::ZqStartupStep(int order, const char* name, ZqStartupFunction run) {
  steps().push_back(Step{order, name, run});
}

void ZqRunStartupSteps(Napi::Env env, int firstOrder, int lastOrder) {
  auto ordered = steps();
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const Step& a, const Step& b) { return a.order < b.order; });
  for (const auto& step : ordered) {
    if (step.order < firstOrder || step.order > lastOrder) continue;
    ZQ_LOG_VERBOSE("Start-up step %d: %@", step.order, step.name);
    step.run(env);
    // A step must not leave an exception behind for the host's require() to throw.
    if (env.IsExceptionPending()) {
      auto error = env.GetAndClearPendingException();
      ZQ_LOG_ERROR("Start-up step %@ failed: %@", step.name, error.Message());
    }
  }
}
