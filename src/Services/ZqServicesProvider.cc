#include "Services/ZqServicesProvider.h"

#include <memory>
#include <vector>

#include "AppleScript/ZqASOutgoingMessage.h"
#include "Exports.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "bundle/Bundle.h"
#include "notificationcenter/NotificationCenter.h"
#include "pasteboard/PasteboardTypes.h"
#include "strings/StringTables.h"

using velquarin::platform::Notification;
using velquarin::platform::NotificationCenter;
using velquarin::platform::Pasteboard;
using velquarin::platform::Services;

namespace {

bool hasType(const Pasteboard& pasteboard, const char* type) {
  for (const auto& each : pasteboard.types()) {
    if (velquarin::platform::pasteboardTypesEqual(each, type)) return true;
  }
  return false;
}

std::optional<std::string> selectedString(const Pasteboard& pasteboard) {
  if (!hasType(pasteboard, velquarin::platform::kStringPboardType)) return std::nullopt;
  return pasteboard.stringForType(velquarin::platform::kStringPboardType);
}

// The paths of the file-names type: an array of strings, else nothing.
std::optional<std::vector<std::string>> selectedPaths(const Pasteboard& pasteboard) {
  if (!hasType(pasteboard, velquarin::platform::kFilenamesPboardType)) return std::nullopt;
  const auto list = pasteboard.propertyListForType(velquarin::platform::kFilenamesPboardType);
  if (!list || !list->asArray()) return std::nullopt;
  std::vector<std::string> paths;
  for (const auto& entry : *list->asArray()) {
    if (!entry.asString()) return std::nullopt;
    paths.push_back(*entry.asString());
  }
  return paths;
}

std::string errorText(const std::string& english) {
  return velquarin::platform::localizedString(*velquarin::platform::Bundle::main(), english,
                                              english);
}

void clearSelection(Pasteboard& pasteboard) {
  pasteboard.declareTypes({velquarin::platform::kStringPboardType});
  pasteboard.setString("", velquarin::platform::kStringPboardType);
}

}  // namespace

ZqServicesProvider::Result ZqServicesProvider::searchSelection(Pasteboard& pasteboard,
                                                               const std::string&) {
  const auto text = selectedString(pasteboard);
  if (!text) return errorText("Error: No search string has been selected.");
  NotificationCenter::defaultCenter().post(
      Notification{kZqServiceProviderSearchNotification, nullptr, nullptr, *text});
  clearSelection(pasteboard);
  return std::nullopt;
}

ZqServicesProvider::Result ZqServicesProvider::mailSelection(Pasteboard& pasteboard,
                                                             const std::string&) {
  const auto text = selectedString(pasteboard);
  if (!text) return errorText("Error: No text has been selected.");
  auto message = ZqASOutgoingMessage::create();
  message->setContent(*text);
  message->handleComposeScriptCommand();
  clearSelection(pasteboard);
  return std::nullopt;
}

ZqServicesProvider::Result ZqServicesProvider::mailDocument(Pasteboard& pasteboard,
                                                            const std::string&) {
  const auto paths = selectedPaths(pasteboard);
  if (!paths) return errorText("Error: Pasteboard doesn't contain one or more files names.");
  ZqASOutgoingMessage::Attachments attachments;
  for (const auto& path : *paths) {
    auto attachment = ZqASOutgoingMessageAttachment::create();
    attachment->setPath(path);
    attachments.push_back(std::move(attachment));
  }
  auto message = ZqASOutgoingMessage::create();
  message->setMailAttachments(std::move(attachments));
  message->handleComposeScriptCommand();
  return std::nullopt;
}

ZqServicesProvider::Result ZqServicesProvider::mailTo(Pasteboard& pasteboard, const std::string&) {
  const auto text = selectedString(pasteboard);
  if (!text) return errorText("Error: No email address has been selected.");
  auto recipient = ZqASOutgoingMessageRecipient::create();
  recipient->setName(std::nullopt);
  recipient->setAddress(*text);  // the whole selection: no trimming, splitting or parsing
  auto message = ZqASOutgoingMessage::create();
  message->setToRecipients({std::move(recipient)});
  message->handleComposeScriptCommand();
  clearSelection(pasteboard);
  return std::nullopt;
}

ZqServicesProvider::Handler ZqServicesProvider::handlerFor(const std::string& message) {
  using Method = Result (ZqServicesProvider::*)(Pasteboard&, const std::string&);
  Method method = nullptr;
  if (message == "searchSelection") method = &ZqServicesProvider::searchSelection;
  if (message == "mailSelection") method = &ZqServicesProvider::mailSelection;
  if (message == "mailDocument") method = &ZqServicesProvider::mailDocument;
  if (message == "mailTo") method = &ZqServicesProvider::mailTo;
  if (!method) return {};
  return [this, method](Pasteboard& pasteboard, const std::string& userData) {
    return (this->*method)(pasteboard, userData);
  };
}

void ZqRegisterServicesProvider() {
  Services::shared().setProvider(std::make_shared<ZqServicesProvider>());
}

void ZqPerformService(const std::string& serviceName, const std::string& text) {
  if (serviceName.empty() || text.empty()) {
    ZQ_LOG_WARN("No Parameter found");
    return;
  }
  auto pasteboard = Pasteboard::withUniqueName();
  pasteboard->declareTypes({velquarin::platform::kStringPboardType});
  pasteboard->setString(text, velquarin::platform::kStringPboardType);
  Services::shared().perform(serviceName, *pasteboard);
  // One pasteboard kept per call would grow for the life of the process.
  Pasteboard::release(pasteboard->name());
}

namespace zq::entries {

Napi::Value performService(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString());
  ZqPerformService(convertToString(args.at(0)).value_or(std::string()),
                   convertToString(args.at(1)).value_or(std::string()));
  return args.Env().Undefined();
}

}  // namespace zq::entries
