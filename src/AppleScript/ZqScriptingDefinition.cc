#include "AppleScript/ZqScriptingDefinition.h"

#include "AppleScript/NSApplication+AS.h"
#include "defaults/UserDefaults.h"
#include "notificationcenter/NotificationCenter.h"
#include "scripting/Scripting.h"

using namespace velquarin::platform;

namespace {

template <class T>
T& as(ScriptObject& object) {
  return static_cast<T&>(object);
}

template <class T>
std::vector<std::shared_ptr<T>> objectsOf(const ScriptValue& value) {
  std::vector<std::shared_ptr<T>> objects;
  if (const auto* list = value.as<ScriptValue::List>()) {
    for (const auto& item : *list) {
      if (const auto* object = item.as<ScriptObjectPtr>()) {
        objects.push_back(std::static_pointer_cast<T>(*object));
      }
    }
  }
  return objects;
}

template <class T>
ScriptValue listOf(const std::vector<std::shared_ptr<T>>& objects) {
  ScriptValue::List list;
  for (const auto& object : objects) list.emplace_back(ScriptObjectPtr(object));
  return list;
}

ScriptProperty text(std::string key, std::function<std::optional<std::string>(ScriptObject&)> get,
                    std::function<void(ScriptObject&, std::optional<std::string>)> set) {
  ScriptProperty property{std::move(key), ScriptType::Text, "", {}, {}, {}, false, false};
  property.get = [get](ScriptObject& object) { return ScriptValue::text(get(object)); };
  if (set) {
    property.set = [set](ScriptObject& object, const ScriptValue& value) {
      set(object, value.optionalText());
    };
  }
  return property;
}

ScriptProperty flag(std::string key, std::function<bool(ScriptObject&)> get,
                    std::function<void(ScriptObject&, bool)> set) {
  ScriptProperty property{std::move(key), ScriptType::Boolean, "", {}, {}, {}, false, false};
  if (get) property.get = [get](ScriptObject& object) { return ScriptValue(get(object)); };
  property.set = [set](ScriptObject& object, const ScriptValue& value) {
    set(object, value.as<bool>() && *value.as<bool>());
  };
  return property;
}

using Message = ZqASOutgoingMessage;
using Recipients = ZqASOutgoingMessage::Recipients;

ScriptProperty recipients(std::string key, const Recipients& (Message::*get)() const,
                          void (Message::*set)(Recipients)) {
  ScriptProperty property{std::move(key), ScriptType::Elements, "Recipient", {}, {}, {}, false,
                          false};
  property.get = [get](ScriptObject& object) { return listOf((as<Message>(object).*get)()); };
  property.set = [set](ScriptObject& object, const ScriptValue& value) {
    (as<Message>(object).*set)(objectsOf<ZqASOutgoingMessageRecipient>(value));
  };
  return property;
}

ScriptClass applicationClass() {
  using App = ZqASApplication;
  ScriptProperty messages{
      "outgoingMessages", ScriptType::Elements, "OutgoingMessage", {}, {}, {}, false, false};
  messages.get = [](ScriptObject& app) { return listOf(as<App>(app).outgoingMessages()); };
  messages.set = [](ScriptObject& app, const ScriptValue& value) {
    as<App>(app).setOutgoingMessages(objectsOf<Message>(value));
  };
  messages.elementWithUniqueID = [](ScriptObject& app, std::int64_t id) -> ScriptObjectPtr {
    return as<App>(app).valueInOutgoingMessagesWithUniqueID(id);
  };
  auto url = text("currentURL", [](ScriptObject& app) { return as<App>(app).currentURL(); }, {});
  auto title =
      text("currentTitle", [](ScriptObject& app) { return as<App>(app).currentTitle(); }, {});
  auto messageText = text("currentMessageText",
                          [](ScriptObject& app) { return as<App>(app).currentMessageText(); }, {});
  auto doNotDisturb = flag(
      "doNotDisturb", [](ScriptObject& app) { return as<App>(app).doNotDisturb(); },
      [](ScriptObject& app, bool value) { as<App>(app).setDoNotDisturb(value); });
  url.announced = title.announced = doNotDisturb.announced = true;
  messageText.asksHost = true;
  return {"Application", {messages, url, title, messageText, doNotDisturb}, {}, {}, ""};
}

ScriptClass messageClass() {
  const auto optionalText = [](std::string key,
                               const std::optional<std::string>& (Message::*get)() const,
                               void (Message::*set)(std::optional<std::string>)) {
    return text(
        std::move(key), [get](ScriptObject& o) { return (as<Message>(o).*get)(); },
        [set](ScriptObject& o, std::optional<std::string> v) { (as<Message>(o).*set)(v); });
  };
  const auto plainText = [](std::string key, const std::string& (Message::*get)() const,
                            void (Message::*set)(std::string)) {
    // Missing text is empty text: the field always holds a string.
    return text(
        std::move(key), [get](ScriptObject& o) { return (as<Message>(o).*get)(); },
        [set](ScriptObject& o, std::optional<std::string> v) {
          (as<Message>(o).*set)(v.value_or(""));
        });
  };
  ScriptProperty id{"id", ScriptType::Integer, "", {}, {}, {}, false, false};
  id.get = [](ScriptObject& o) { return ScriptValue(as<Message>(o).id()); };
  ScriptProperty attachments{
      "mailAttachments", ScriptType::Elements, "Attachment", {}, {}, {}, false, false};
  attachments.get = [](ScriptObject& o) { return listOf(as<Message>(o).mailAttachments()); };
  attachments.set = [](ScriptObject& o, const ScriptValue& value) {
    as<Message>(o).setMailAttachments(objectsOf<ZqASOutgoingMessageAttachment>(value));
  };
  ScriptProperty signature{
      "messageSignature", ScriptType::Object, "Signature", {}, {}, {}, false, false};
  signature.get = [](ScriptObject& o) {
    return ScriptValue(ScriptObjectPtr(as<Message>(o).messageSignature()));
  };
  signature.set = [](ScriptObject& o, const ScriptValue& value) {
    const auto* object = value.as<ScriptObjectPtr>();
    as<Message>(o).setMessageSignature(
        object ? std::static_pointer_cast<ZqASOutgoingMessageSignature>(*object)
               : ZqASOutgoingMessageSignature::create());
  };
  ScriptClass cls{
      "OutgoingMessage",
      {id, plainText("sender", &Message::sender, &Message::setSender),
       plainText("subject", &Message::subject, &Message::setSubject),
       optionalText("content", &Message::content, &Message::setContent),
       optionalText("imageAttachMethod", &Message::imageAttachMethod,
                    &Message::setImageAttachMethod),
       optionalText("imageFileType", &Message::imageFileType, &Message::setImageFileType),
       optionalText("imageSize", &Message::imageSize, &Message::setImageSize),
       flag(
           "directlySend", [](ScriptObject& o) { return as<Message>(o).directlySend(); },
           [](ScriptObject& o, bool v) { as<Message>(o).setDirectlySend(v); }),
       flag(
           "optimizeAttachments",
           [](ScriptObject& o) { return as<Message>(o).optimizeAttachments(); },
           [](ScriptObject& o, bool v) { as<Message>(o).setOptimizeAttachments(v); }),
       recipients("toRecipients", &Message::toRecipients, &Message::setToRecipients),
       recipients("ccRecipients", &Message::ccRecipients, &Message::setCcRecipients),
       recipients("bccRecipients", &Message::bccRecipients, &Message::setBccRecipients),
       attachments, signature,
       flag("visible", {}, [](ScriptObject& o, bool v) { as<Message>(o).setVisible(v); })},
      {{"compose",
        [](ScriptObject& o) {
          as<Message>(o).handleComposeScriptCommand();
          return ScriptValue();
        }}},
      [] { return ScriptObjectPtr(Message::create()); },
      "id"};
  return cls;
}

ScriptClass recipientClass() {
  using Recipient = ZqASOutgoingMessageRecipient;
  return {
      "Recipient",
      {text(
           "name", [](ScriptObject& o) { return as<Recipient>(o).name(); },
           [](ScriptObject& o, std::optional<std::string> v) { as<Recipient>(o).setName(v); }),
       text(
           "address", [](ScriptObject& o) { return as<Recipient>(o).address(); },
           [](ScriptObject& o, std::optional<std::string> v) { as<Recipient>(o).setAddress(v); })},
      {},
      [] { return ScriptObjectPtr(Recipient::create()); },
      ""};
}

ScriptClass attachmentClass() {
  using Attachment = ZqASOutgoingMessageAttachment;
  return {"Attachment",
          {text(
              "path", [](ScriptObject& o) { return as<Attachment>(o).path(); },
              [](ScriptObject& o, std::optional<std::string> v) {
                as<Attachment>(o).setPath(v.value_or(""));
              })},
          {},
          [] { return ScriptObjectPtr(Attachment::create()); },
          ""};
}

ScriptClass signatureClass() {
  using Signature = ZqASOutgoingMessageSignature;
  return {
      "Signature",
      {text(
           "name", [](ScriptObject& o) { return as<Signature>(o).name; },
           [](ScriptObject& o, std::optional<std::string> v) { as<Signature>(o).name = v; }),
       text(
           "content", [](ScriptObject& o) { return as<Signature>(o).content; },
           [](ScriptObject& o, std::optional<std::string> v) { as<Signature>(o).content = v; })},
      {},
      [] { return ScriptObjectPtr(Signature::create()); },
      ""};
}

void announceDoNotDisturbChanges() {
  // Read here without the status item, which start-up makes later.
  static bool last = UserDefaults::standard()->boolValue("DoNotDisturb").value_or(false);
  NotificationCenter::defaultCenter().addObserver(
      kUserDefaultsDidChangeNotification, nullptr, NotificationCenter::Delivery::MainQueue,
      [](const Notification& notification) {
        const auto& info = notification.userInfo;
        if (!info.is_object() || info.value("key", "") != "DoNotDisturb") return;
        const auto application = ZqASApplication::sharedInstance();
        const bool now = application->doNotDisturb();
        if (now == last) return;
        last = now;
        Scripting::shared().announce(*application, "doNotDisturb");
      });
}

}  // namespace

void ZqRegisterScriptingDefinition() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  auto definition = std::make_shared<ScriptingDefinition>();
  definition->busInterfacePrefix = "io.velquarin.Scripting1";
  definition->applicationClass = "Application";
  definition->classes = {applicationClass(), messageClass(), recipientClass(), attachmentClass(),
                         signatureClass()};
  definition->application = ZqASApplication::sharedInstance();
  Scripting::shared().setDefinition(std::move(definition));
  announceDoNotDisturbChanges();
}

void ZqAnnounceCurrentPage() {
  auto application = ZqASApplication::sharedInstance();
  Scripting::shared().announce(*application, "currentURL");
  Scripting::shared().announce(*application, "currentTitle");
}
