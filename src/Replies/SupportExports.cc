#include "Exports.h"
#include "Utilities/ZqNotAvailable.h"

namespace zq::exports {

Napi::Value openSupportAndFeedbackWindow(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "openSupportAndFeedbackWindow");
}

Napi::Value attachFilesToSupportAndFeedbackWindow(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "attachFilesToSupportAndFeedbackWindow");
}

Napi::Value annotateImage(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "annotateImage");
}

Napi::Value takeScreenRecording(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "takeScreenRecording");
}

}  // namespace zq::exports
