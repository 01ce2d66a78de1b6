#include "Services/ZqServicesBus.h"

#include <functional>

#include "application/Services.h"
#include "bus/ApplicationBus.h"
#include "pasteboard/PasteboardTypes.h"
#include "plist/PlistValue.h"

using velquarin::platform::ApplicationBus;
using velquarin::platform::BusInterface;
using velquarin::platform::BusMethod;
using velquarin::platform::BusReply;
using velquarin::platform::BusValue;
using velquarin::platform::Pasteboard;
using velquarin::platform::PlistArray;
using velquarin::platform::Services;

namespace {

// Runs a service handler on a pasteboard of its own, released afterwards; its error text
// becomes the caller's InvalidArgs.
BusReply runService(const std::string& message, const std::function<void(Pasteboard&)>& fill) {
  auto pasteboard = Pasteboard::withUniqueName();
  fill(*pasteboard);
  const auto outcome = Services::shared().invoke(message, *pasteboard);
  Pasteboard::release(pasteboard->name());
  if (!outcome.handled) {
    return BusReply::fail(velquarin::platform::kBusErrorFailed, "The service is not available");
  }
  if (outcome.error)
    return BusReply::fail(velquarin::platform::kBusErrorInvalidArgs, *outcome.error);
  return BusReply::of({});
}

// An empty selection is none: the type is declared without text, so the handler answers
// with its error text.
BusMethod textService(const char* name, const char* message) {
  auto call = [message](const std::string&, const std::vector<BusValue>& args) {
    const auto* text = args.empty() ? nullptr : args[0].as<std::string>();
    return runService(message, [&](Pasteboard& pasteboard) {
      pasteboard.declareTypes({velquarin::platform::kStringPboardType});
      if (text && !text->empty()) {
        pasteboard.setString(*text, velquarin::platform::kStringPboardType);
      }
    });
  };
  return BusMethod{name, "s", "", call};
}

BusReply mailDocument(const std::string&, const std::vector<BusValue>& args) {
  const auto* list = args.empty() ? nullptr : args[0].as<BusValue::List>();
  PlistArray paths;
  for (const auto& entry : list ? *list : BusValue::List{}) {
    const auto* path = entry.as<std::string>();
    // Relative paths would resolve against wherever this process happens to run.
    if (!path || path->empty() || path->front() != '/') {
      return BusReply::fail(velquarin::platform::kBusErrorInvalidArgs,
                            "Every path must be absolute");
    }
    paths.emplace_back(*path);
  }
  return runService("mailDocument", [&](Pasteboard& pasteboard) {
    pasteboard.declareTypes({velquarin::platform::kFilenamesPboardType});
    pasteboard.setPropertyList(paths, velquarin::platform::kFilenamesPboardType);
  });
}

}  // namespace

void ZqPublishServicesOnBus() {
  ApplicationBus::shared().addInterface(BusInterface{
      kZqServicesBusInterface,
      {},
      {textService("SearchSelection", "searchSelection"),
       textService("MailSelection", "mailSelection"),
       BusMethod{"MailDocument", "as", "", mailDocument}, textService("MailTo", "mailTo")},
      {}});
}
