#include "scripting/ScriptingBus.h"

#include <cctype>
#include <set>

#include "bus/ApplicationBus.h"
#include "runloop/MainQueue.h"
#include "scripting/Scripting.h"

namespace velquarin::platform {
namespace {

struct Collection {
  std::string key;   // "outgoingMessages"
  std::string name;  // "OutgoingMessages"
  const ScriptClass* cls;
  std::set<std::string> known;  // the elements announced so far
};

struct Face {
  std::shared_ptr<const ScriptingDefinition> definition;
  const ScriptClass* applicationClass = nullptr;
  std::vector<Collection> collections;
};

Face& face() {
  static Face* shared = new Face();  // lives as long as the process
  return *shared;
}

std::string capitalized(std::string key) {
  if (!key.empty()) key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
  return key;
}

const Collection* collectionFor(const std::string& key) {
  for (const auto& each : face().collections) {
    if (each.key == key) return &each;
  }
  return nullptr;
}

bool isPlain(const ScriptProperty& property) {
  return property.get &&
         (property.type == ScriptType::Text || property.type == ScriptType::Boolean ||
          property.type == ScriptType::Integer);
}

std::vector<const ScriptProperty*> fieldsOf(const std::string& className) {
  std::vector<const ScriptProperty*> fields;
  if (const ScriptClass* cls = face().definition->classNamed(className)) {
    for (const auto& property : cls->properties) {
      if (isPlain(property)) fields.push_back(&property);
    }
  }
  return fields;
}

std::string plainSignature(ScriptType type) {
  return type == ScriptType::Boolean ? "b" : type == ScriptType::Integer ? "x" : "s";
}

std::string valueSignature(const std::string& className) {
  const auto fields = fieldsOf(className);
  if (fields.size() == 1) return plainSignature(fields.front()->type);
  std::string signature = "(";
  for (const auto* field : fields) signature += plainSignature(field->type);
  return signature + ")";
}

bool exported(const ScriptProperty& property, const ScriptClass* owner) {
  return owner == face().applicationClass && property.type == ScriptType::Elements &&
         collectionFor(property.key);
}

std::string signatureOf(const ScriptProperty& property, const ScriptClass* owner) {
  switch (property.type) {
    case ScriptType::Object:
      return valueSignature(property.objectClass);
    case ScriptType::Elements:
      return exported(property, owner) ? "ao" : "a" + valueSignature(property.objectClass);
    default:
      return plainSignature(property.type);
  }
}

BusValue plainToBus(ScriptType type, const ScriptValue& value) {
  if (type == ScriptType::Boolean) return value.as<bool>() ? *value.as<bool>() : false;
  if (type == ScriptType::Integer) {
    return value.as<std::int64_t>() ? *value.as<std::int64_t>() : std::int64_t{0};
  }
  return value.as<std::string>() ? *value.as<std::string>() : std::string();
}

BusValue valueObjectToBus(const std::string& className, const ScriptObjectPtr& object) {
  const auto fields = fieldsOf(className);
  BusValue::List values;
  for (const auto* field : fields) {
    values.push_back(plainToBus(field->type, object ? field->get(*object) : ScriptValue()));
  }
  if (values.size() == 1) return values.front();
  return values;
}

std::optional<std::int64_t> idOf(const ScriptObject& object) {
  const ScriptClass* cls = Scripting::shared().classOf(object);
  const ScriptProperty* id = cls ? cls->property(cls->uniqueIDKey) : nullptr;
  if (!id || !id->get) return std::nullopt;
  const ScriptValue value = id->get(const_cast<ScriptObject&>(object));
  return value.as<std::int64_t>() ? std::optional(*value.as<std::int64_t>()) : std::nullopt;
}

std::string pathOf(const Collection& collection, const ScriptObject& object) {
  return ApplicationBus::shared().elementPath(collection.name,
                                              std::to_string(idOf(object).value_or(-1)));
}

BusValue toBus(const ScriptProperty& property, const ScriptClass* owner, const ScriptValue& value) {
  if (property.type == ScriptType::Object) {
    const auto* object = value.as<ScriptObjectPtr>();
    return valueObjectToBus(property.objectClass, object ? *object : nullptr);
  }
  if (property.type != ScriptType::Elements) return plainToBus(property.type, value);
  BusValue::List items;
  const auto* list = value.as<ScriptValue::List>();
  const Collection* collection = exported(property, owner) ? collectionFor(property.key) : nullptr;
  for (const auto& item : list ? *list : ScriptValue::List{}) {
    const auto* object = item.as<ScriptObjectPtr>();
    if (!object || !*object) continue;
    if (collection) {
      items.emplace_back(BusObjectPath{pathOf(*collection, **object)});
    } else {
      items.push_back(valueObjectToBus(property.objectClass, *object));
    }
  }
  return items;
}

ScriptValue plainFromBus(ScriptType type, const BusValue& value) {
  if (type == ScriptType::Boolean && value.as<bool>()) return *value.as<bool>();
  if (type == ScriptType::Integer && value.as<std::int64_t>()) return *value.as<std::int64_t>();
  if (value.as<std::string>()) return *value.as<std::string>();
  return {};
}

ScriptResult<ScriptValue> valueObjectFromBus(const std::string& className, const BusValue& value) {
  const auto fields = fieldsOf(className);
  ScriptProperties properties;
  const auto* list = value.as<BusValue::List>();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const BusValue& field =
        fields.size() == 1 ? value : (list && i < list->size() ? (*list)[i] : BusValue());
    properties.emplace_back(fields[i]->key, plainFromBus(fields[i]->type, field));
  }
  auto made = Scripting::shared().makeValueObject(className, properties);
  if (made.error) return {made.error};
  return {{}, ScriptValue(made.value)};
}

ScriptResult<ScriptValue> fromBus(const ScriptProperty& property, const BusValue& value) {
  if (property.type == ScriptType::Object) return valueObjectFromBus(property.objectClass, value);
  if (property.type != ScriptType::Elements) return {{}, plainFromBus(property.type, value)};
  ScriptValue::List items;
  const auto* list = value.as<BusValue::List>();
  for (const auto& item : list ? *list : BusValue::List{}) {
    auto made = valueObjectFromBus(property.objectClass, item);
    if (made.error) return made;
    items.push_back(std::move(made.value));
  }
  return {{}, ScriptValue(std::move(items))};
}

BusError busError(const ScriptError& error) {
  switch (error.kind) {
    case ScriptError::Kind::UnknownObject:
      return {kBusErrorUnknownObject, error.message};
    case ScriptError::Kind::InvalidArgs:
      return {kBusErrorInvalidArgs, error.message};
    default:
      return {kBusErrorFailed, error.message};
  }
}

// A path's element as an id: canonical decimal within int64 (no sign, no leading zero).
std::optional<std::int64_t> canonicalID(const std::string& element) {
  if (element.empty() || element.size() > 19) return std::nullopt;
  for (const char c : element) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  if (element.size() > 1 && element[0] == '0') return std::nullopt;
  if (element.size() == 19 && element > "9223372036854775807") return std::nullopt;
  return std::stoll(element);
}

// The specifier an element names; the application for "".
std::optional<ObjectSpecifier> specifierOf(const Collection* collection,
                                           const std::string& element) {
  if (!collection) return ObjectSpecifier::application();
  const auto id = canonicalID(element);
  if (!id) return std::nullopt;
  return ObjectSpecifier::uniqueID(ObjectSpecifier::application(), collection->key, *id);
}

BusProperty busProperty(const ScriptProperty& property, const ScriptClass* owner,
                        const Collection* collection) {
  BusProperty result;
  result.name = capitalized(property.key);
  result.signature = signatureOf(property, owner);
  if (property.asksHost) result.flags |= BusProperty::kExplicit;
  if (property.announced) result.flags |= BusProperty::kEmitsChange;
  result.get = [&property, owner, collection](const std::string& element) {
    const auto specifier = specifierOf(collection, element);
    if (!specifier) return BusReply::fail(kBusErrorUnknownObject, "No such object");
    const auto value = Scripting::shared().get(*specifier, property.key);
    if (value.error) {
      const BusError error = busError(*value.error);
      return BusReply::fail(error.name, error.message);
    }
    return BusReply::of({toBus(property, owner, value.value)});
  };
  if (property.set && !exported(property, owner)) {
    result.set = [&property, collection](const std::string& element,
                                         const BusValue& value) -> std::optional<BusError> {
      const auto specifier = specifierOf(collection, element);
      if (!specifier) return BusError{kBusErrorUnknownObject, "No such object"};
      auto converted = fromBus(property, value);
      if (converted.error) return busError(*converted.error);
      if (auto error = Scripting::shared().set(*specifier, property.key, converted.value)) {
        return busError(*error);
      }
      return std::nullopt;
    };
  }
  return result;
}

BusReply replyWithPath(const Collection& collection, const ScriptResult<ScriptObjectPtr>& made) {
  if (made.error) {
    const BusError error = busError(*made.error);
    return BusReply::fail(error.name, error.message);
  }
  return BusReply::of({BusObjectPath{pathOf(collection, *made.value)}});
}

BusMethod makeMethod(const Collection& collection) {
  BusMethod method{"Make" + collection.cls->name, "a{sv}", "o", {}};
  method.call = [&collection](const std::string&, const std::vector<BusValue>& arguments) {
    ScriptProperties properties;
    const auto* map = arguments.empty() ? nullptr : arguments.front().as<BusValue::Map>();
    for (const auto& [name, value] : map ? *map : BusValue::Map{}) {
      const ScriptProperty* property = nullptr;
      for (const auto& each : collection.cls->properties) {
        if (capitalized(each.key) == name) property = &each;
      }
      if (!property || !property->set) {
        return BusReply::fail(kBusErrorInvalidArgs, "Unknown property " + name);
      }
      if (value.variantSignature != signatureOf(*property, collection.cls)) {
        return BusReply::fail(kBusErrorInvalidArgs,
                              name + " takes " + signatureOf(*property, collection.cls));
      }
      auto converted = fromBus(*property, value);
      if (converted.error) {
        const BusError error = busError(*converted.error);
        return BusReply::fail(error.name, error.message);
      }
      properties.emplace_back(property->key, std::move(converted.value));
    }
    return replyWithPath(
        collection, Scripting::shared().make(collection.cls->name, ObjectSpecifier::application(),
                                             collection.key, properties));
  };
  return method;
}

BusMethod lookupMethod(const Collection& collection) {
  BusMethod method{collection.cls->name + "WithUniqueID", "x", "o", {}};
  method.call = [&collection](const std::string&, const std::vector<BusValue>& arguments) {
    const auto* id = arguments.empty() ? nullptr : arguments.front().as<std::int64_t>();
    return replyWithPath(collection,
                         Scripting::shared().resolve(ObjectSpecifier::uniqueID(
                             ObjectSpecifier::application(), collection.key, id ? *id : -1)));
  };
  return method;
}

BusReply replyTo(const std::optional<ScriptError>& error) {
  if (!error) return BusReply::of({});
  const BusError failure = busError(*error);
  return BusReply::fail(failure.name, failure.message);
}

BusInterface elementInterface(const std::string& prefix, const Collection& collection) {
  BusInterface interface {
    prefix + "." + collection.cls->name, {}, {}, {}
  };
  for (const auto& property : collection.cls->properties) {
    interface.properties.push_back(busProperty(property, collection.cls, &collection));
  }
  for (const auto& command : collection.cls->commands) {
    BusMethod method{capitalized(command.name), "", "", {}};
    method.call = [&collection, name = command.name](const std::string& element,
                                                     const std::vector<BusValue>&) {
      const auto specifier = specifierOf(&collection, element);
      if (!specifier) return BusReply::fail(kBusErrorUnknownObject, "No such object");
      return replyTo(Scripting::shared().perform(*specifier, name).error);
    };
    interface.methods.push_back(std::move(method));
  }
  BusMethod remove{"Delete", "", "", {}};
  remove.call = [&collection](const std::string& element, const std::vector<BusValue>&) {
    const auto specifier = specifierOf(&collection, element);
    if (!specifier) return BusReply::fail(kBusErrorUnknownObject, "No such object");
    return replyTo(Scripting::shared().remove(*specifier));
  };
  interface.methods.push_back(std::move(remove));
  return interface;
}

std::set<std::string> currentElements(const Collection& collection) {
  std::set<std::string> elements;
  const auto& definition = *face().definition;
  const ScriptProperty* property = face().applicationClass->property(collection.key);
  const ScriptValue list = property->get(*definition.application);
  for (const auto& item :
       list.as<ScriptValue::List>() ? *list.as<ScriptValue::List>() : ScriptValue::List{}) {
    const auto* object = item.as<ScriptObjectPtr>();
    if (!object || !*object) continue;
    if (const auto id = idOf(**object)) elements.insert(std::to_string(*id));
  }
  return elements;
}

void changed(ScriptObject& owner, const std::string& key) {
  Face& shared = face();
  if (&owner != shared.definition->application.get()) return;
  auto& bus = ApplicationBus::shared();
  for (auto& collection : shared.collections) {
    if (collection.key != key) continue;
    const auto now = currentElements(collection);
    for (const auto& element : collection.known) {
      if (!now.count(element)) bus.elementRemoved(collection.name, element);
    }
    for (const auto& element : now) {
      if (!collection.known.count(element)) bus.elementAdded(collection.name, element);
    }
    collection.known = now;
  }
  const ScriptProperty* property = shared.applicationClass->property(key);
  if (property && property->announced) {
    bus.emitPropertiesChanged(
        bus.objectPath(),
        shared.definition->busInterfacePrefix + "." + shared.applicationClass->name,
        {capitalized(key)});
  }
}

}  // namespace

void publishScriptingOnBus() {
  Face& shared = face();
  if (shared.definition) return;
  shared.definition = Scripting::shared().definition();
  if (!shared.definition || !shared.definition->application) return;
  const auto& definition = *shared.definition;
  shared.applicationClass = definition.classNamed(definition.applicationClass);
  if (!shared.applicationClass) return;
  for (const auto& property : shared.applicationClass->properties) {
    const ScriptClass* cls = definition.classNamed(property.objectClass);
    if (property.type == ScriptType::Elements && cls && !cls->uniqueIDKey.empty()) {
      shared.collections.push_back({property.key, capitalized(property.key), cls, {}});
    }
  }
  auto& bus = ApplicationBus::shared();
  const std::string& prefix = definition.busInterfacePrefix;
  BusInterface application{prefix + "." + shared.applicationClass->name, {}, {}, {}};
  for (const auto& property : shared.applicationClass->properties) {
    application.properties.push_back(busProperty(property, shared.applicationClass, nullptr));
  }
  for (auto& collection : shared.collections) {
    application.methods.push_back(makeMethod(collection));
    application.methods.push_back(lookupMethod(collection));
    collection.known = currentElements(collection);
    const Collection* pointer = &collection;
    bus.addCollection({collection.name,
                       [pointer](const std::string& element) {
                         const auto specifier = specifierOf(pointer, element);
                         return specifier && !Scripting::shared().resolve(*specifier).error;
                       },
                       [pointer] {
                         const auto elements = currentElements(*pointer);
                         return std::vector<std::string>(elements.begin(), elements.end());
                       }});
    bus.addInterface(elementInterface(prefix, collection), collection.name);
  }
  bus.addInterface(std::move(application));
  Scripting::shared().addListener(changed);
  // Connected from the loop's first turn rather than inside start-up: the name is requested
  // asynchronously either way, so it is owned no sooner.
  MainQueue::shared().async([] { ApplicationBus::shared().start(); });
}

}  // namespace velquarin::platform
