#include "scripting/Scripting.h"

#include <algorithm>

namespace velquarin::platform {
namespace {

ScriptError unknown(std::string message) {
  return {ScriptError::Kind::UnknownObject, std::move(message)};
}
ScriptError invalid(std::string message) {
  return {ScriptError::Kind::InvalidArgs, std::move(message)};
}

}  // namespace

Scripting& Scripting::shared() {
  static Scripting* scripting = new Scripting();  // lives as long as the process
  return *scripting;
}

void Scripting::setDefinition(std::shared_ptr<const ScriptingDefinition> definition) {
  definition_ = std::move(definition);
}

const ScriptClass* Scripting::classOf(const ScriptObject& object) const {
  return definition_ ? definition_->classNamed(object.scriptClass()) : nullptr;
}

ScriptResult<ScriptObjectPtr> Scripting::resolve(const ObjectSpecifier& specifier) const {
  if (!definition_ || !definition_->application) return {unknown("No scripting definition")};
  if (specifier.form == ObjectSpecifier::Form::Application) return {{}, definition_->application};
  if (!specifier.container) return {unknown("The specifier has no container")};
  const auto container = resolve(*specifier.container);
  if (container.error) return container;
  const ScriptClass* cls = classOf(*container.value);
  const ScriptProperty* property = cls ? cls->property(specifier.key) : nullptr;
  if (!property || property->type != ScriptType::Elements || !property->get) {
    return {unknown("No elements \"" + specifier.key + "\"")};
  }
  if (specifier.form == ObjectSpecifier::Form::UniqueID && property->elementWithUniqueID) {
    if (auto found = property->elementWithUniqueID(*container.value, specifier.value)) {
      return {{}, found};
    }
    return {unknown("No such object")};
  }
  const ScriptValue list = property->get(*container.value);
  const auto* elements = list.as<ScriptValue::List>();
  if (!elements) return {unknown("No such object")};
  if (specifier.form == ObjectSpecifier::Form::Index) {
    if (specifier.value < 0 || static_cast<std::size_t>(specifier.value) >= elements->size()) {
      return {unknown("No such object")};
    }
    const auto* object =
        (*elements)[static_cast<std::size_t>(specifier.value)].as<ScriptObjectPtr>();
    if (object && *object) return {{}, *object};
    return {unknown("No such object")};
  }
  for (const auto& element : *elements) {
    const auto* object = element.as<ScriptObjectPtr>();
    const ScriptClass* elementClass = object && *object ? classOf(**object) : nullptr;
    const ScriptProperty* id =
        elementClass ? elementClass->property(elementClass->uniqueIDKey) : nullptr;
    if (!id || !id->get) continue;
    const ScriptValue value = id->get(**object);
    if (value.as<std::int64_t>() && *value.as<std::int64_t>() == specifier.value) {
      return {{}, *object};
    }
  }
  return {unknown("No such object")};
}

bool Scripting::accepts(const ScriptProperty& property, const ScriptValue& value) const {
  const auto ofClass = [&](const ScriptValue& item) {
    const auto* object = item.as<ScriptObjectPtr>();
    return object && *object && (*object)->scriptClass() == property.objectClass;
  };
  switch (property.type) {
    case ScriptType::Boolean:
      return value.as<bool>() != nullptr;
    case ScriptType::Integer:
      return value.as<std::int64_t>() != nullptr;
    case ScriptType::Text:
      return value.isMissing() || value.as<std::string>();
    case ScriptType::Object:
      return value.isMissing() || ofClass(value);
    case ScriptType::Elements: {
      const auto* list = value.as<ScriptValue::List>();
      return list && std::all_of(list->begin(), list->end(), ofClass);
    }
  }
  return false;
}

std::optional<ScriptError> Scripting::checkProperties(const ScriptClass& cls,
                                                      const ScriptProperties& properties) const {
  for (const auto& [key, value] : properties) {
    const ScriptProperty* property = cls.property(key);
    if (!property) return invalid("Unknown property \"" + key + "\" of " + cls.name);
    if (!property->set) return invalid("The property \"" + key + "\" cannot be set");
    if (!accepts(*property, value)) return invalid("Wrong type for \"" + key + "\"");
  }
  return std::nullopt;
}

ScriptResult<ScriptObjectPtr> Scripting::makeValueObject(const std::string& className,
                                                         const ScriptProperties& properties) const {
  const ScriptClass* cls = definition_ ? definition_->classNamed(className) : nullptr;
  if (!cls || !cls->make) return {invalid("Cannot make a " + className)};
  if (auto error = checkProperties(*cls, properties)) return {error};
  ScriptObjectPtr object = cls->make();
  for (const auto& [key, value] : properties) cls->property(key)->set(*object, value);
  return {{}, object};
}

ScriptResult<ScriptObjectPtr> Scripting::make(const std::string& className,
                                              const ObjectSpecifier& containerSpecifier,
                                              const std::string& key,
                                              const ScriptProperties& properties) {
  const auto container = resolve(containerSpecifier);
  if (container.error) return container;
  const ScriptClass* containerClass = classOf(*container.value);
  const ScriptProperty* elements = containerClass ? containerClass->property(key) : nullptr;
  if (!elements || elements->type != ScriptType::Elements || elements->objectClass != className ||
      !elements->get || !elements->set) {
    return {invalid("Cannot insert a " + className + " into \"" + key + "\"")};
  }
  const ScriptClass* cls = definition_->classNamed(className);
  if (!cls || !cls->make) return {invalid("Cannot make a " + className)};
  // Everything is checked before the object exists: a refused make takes no id.
  if (auto error = checkProperties(*cls, properties)) return {error};
  ScriptObjectPtr object = cls->make();
  for (const auto& [name, value] : properties) cls->property(name)->set(*object, value);
  ScriptValue list = elements->get(*container.value);
  ScriptValue::List items =
      list.as<ScriptValue::List>() ? *list.as<ScriptValue::List>() : ScriptValue::List{};
  items.emplace_back(object);
  elements->set(*container.value, ScriptValue(std::move(items)));
  announce(*container.value, key);
  return {{}, object};
}

ScriptResult<ScriptValue> Scripting::get(const ObjectSpecifier& specifier,
                                         const std::string& key) const {
  const auto object = resolve(specifier);
  if (object.error) return {object.error};
  const ScriptClass* cls = classOf(*object.value);
  const ScriptProperty* property = cls ? cls->property(key) : nullptr;
  if (!property) return {invalid("Unknown property \"" + key + "\"")};
  return {{}, property->get ? property->get(*object.value) : ScriptValue()};
}

std::optional<ScriptError> Scripting::set(const ObjectSpecifier& specifier, const std::string& key,
                                          const ScriptValue& value) {
  const auto object = resolve(specifier);
  if (object.error) return object.error;
  const ScriptClass* cls = classOf(*object.value);
  if (!cls) return invalid("Unknown class");
  if (auto error = checkProperties(*cls, {{key, value}})) return error;
  const ScriptProperty* property = cls->property(key);
  property->set(*object.value, value);
  if (property->type == ScriptType::Elements) announce(*object.value, key);
  return std::nullopt;
}

std::optional<ScriptError> Scripting::remove(const ObjectSpecifier& specifier) {
  if (specifier.form == ObjectSpecifier::Form::Application || !specifier.container) {
    return ScriptError{ScriptError::Kind::NotAllowed, "The application cannot be deleted"};
  }
  const auto object = resolve(specifier);
  if (object.error) return object.error;
  const auto container = resolve(*specifier.container);
  if (container.error) return container.error;
  const ScriptProperty* elements = classOf(*container.value)->property(specifier.key);
  if (!elements->set) {
    return ScriptError{ScriptError::Kind::NotAllowed, "\"" + specifier.key + "\" is read-only"};
  }
  ScriptValue list = elements->get(*container.value);
  ScriptValue::List kept;
  for (const auto& item : *list.as<ScriptValue::List>()) {
    const auto* each = item.as<ScriptObjectPtr>();
    if (!each || *each != object.value) kept.push_back(item);
  }
  elements->set(*container.value, ScriptValue(std::move(kept)));
  announce(*container.value, specifier.key);
  return std::nullopt;
}

ScriptResult<ScriptValue> Scripting::perform(const ObjectSpecifier& specifier,
                                             const std::string& command) {
  const auto object = resolve(specifier);
  if (object.error) return {object.error};
  const ScriptClass* cls = classOf(*object.value);
  if (cls) {
    for (const auto& each : cls->commands) {
      if (each.name == command) return {{}, each.run(*object.value)};
    }
  }
  return {invalid("Unknown command \"" + command + "\"")};
}

void Scripting::announce(ScriptObject& owner, const std::string& key) {
  // A copy: a listener may add another.
  const auto listeners = listeners_;
  for (const auto& listener : listeners) listener(owner, key);
}

}  // namespace velquarin::platform
