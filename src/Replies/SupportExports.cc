#include <optional>
#include <string>

#include "Exports.h"
#include "Replies/ZqReplies.h"
#include "Utilities/ZqNotAvailable.h"

namespace {

std::optional<std::string> optionalString(Napi::Value value) {
  if (!value.IsString()) return std::nullopt;
  return value.As<Napi::String>().Utf8Value();
}

std::string text(Napi::Value value) {
  return value.As<Napi::String>().Utf8Value();
}

}  // namespace

namespace zq::exports {

Napi::Value openSupportAndFeedbackWindow(const ZqArgs& args) {
  ZqOpenSupportAndFeedbackWindow(text(args.at(0)), text(args.at(1)), optionalString(args.at(2)),
                                 optionalString(args.at(3)), optionalString(args.at(4)));
  return args.Env().Undefined();
}

Napi::Value attachFilesToSupportAndFeedbackWindow(const ZqArgs& args) {
  ZqAttachFilesToSupportAndFeedbackWindow(text(args.at(0)));
  return args.Env().Undefined();
}

Napi::Value annotateImage(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "annotateImage");
}

Napi::Value takeScreenRecording(const ZqArgs& args) {
  return ZqNotAvailableYet(args, "takeScreenRecording");
}

}  // namespace zq::exports
