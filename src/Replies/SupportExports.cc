#include <optional>
#include <string>

#include "Exports.h"
#include "Replies/ZqReplies.h"
#include "Utilities/ZqCallbackSlot.h"

namespace {

std::optional<std::string> optionalString(Napi::Value value) {
  if (!value.IsString()) return std::nullopt;
  return value.As<Napi::String>().Utf8Value();
}

std::string text(Napi::Value value) {
  return value.As<Napi::String>().Utf8Value();
}

// Kept until the next call replaces them and read when a tool completes.
ZqCallbackSlot& annotateSlot() {
  static auto* slot = new ZqCallbackSlot("annotate image callback");
  return *slot;
}

ZqCallbackSlot& recordingSlot() {
  static auto* slot = new ZqCallbackSlot("screen recording callback");
  return *slot;
}

void deliver(ZqCallbackSlot& slot, const std::optional<std::string>& path) {
  slot.invoke([path](Napi::Env env) {
    std::vector<napi_value> arguments;
    if (path) arguments.push_back(Napi::String::New(env, *path));
    return arguments;
  });
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
  const auto path = text(args.at(0));
  if (!path.empty()) {
    annotateSlot().set(args.at(1));
    // Nobody could hear the result: the editor does not open.
    if (!annotateSlot().isSet()) return args.Env().Undefined();
  }
  ZqAnnotateImage(path, [](std::optional<std::string> result) { deliver(annotateSlot(), result); });
  return args.Env().Undefined();
}

Napi::Value takeScreenRecording(const ZqArgs& args) {
  const auto directory = text(args.at(0));
  if (!directory.empty()) {
    recordingSlot().set(args.at(1));
    if (!recordingSlot().isSet()) return args.Env().Undefined();
  }
  ZqTakeScreenRecording(
      directory, [](std::optional<std::string> result) { deliver(recordingSlot(), result); });
  return args.Env().Undefined();
}

}  // namespace zq::exports
