#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velquarin::platform {

class ScriptObject;
using ScriptObjectPtr = std::shared_ptr<ScriptObject>;

// A value as scripts exchange it: missing, a boolean, an integer, text, an object or a list.
struct ScriptValue {
  using List = std::vector<ScriptValue>;
  std::variant<std::monostate, bool, std::int64_t, std::string, ScriptObjectPtr, List> data;

  ScriptValue() = default;
  ScriptValue(bool value) : data(value) {}
  ScriptValue(std::int64_t value) : data(value) {}
  ScriptValue(std::string value) : data(std::move(value)) {}
  ScriptValue(ScriptObjectPtr value) : data(std::move(value)) {}
  ScriptValue(List value) : data(std::move(value)) {}
  // Text that may be absent.
  static ScriptValue text(const std::optional<std::string>& value) {
    return value ? ScriptValue(*value) : ScriptValue();
  }

  bool isMissing() const { return std::holds_alternative<std::monostate>(data); }
  template <class T>
  const T* as() const {
    return std::get_if<T>(&data);
  }
  std::optional<std::string> optionalText() const {
    const auto* text = as<std::string>();
    return text ? std::optional<std::string>(*text) : std::nullopt;
  }
};

// How a script names an object: the application, an element of a container by its unique
// ID, or by its index.
struct ObjectSpecifier {
  enum class Form { Application, UniqueID, Index };
  Form form = Form::Application;
  std::shared_ptr<const ObjectSpecifier> container;
  std::string key;
  std::int64_t value = 0;  // the unique ID or the index

  static ObjectSpecifier application() { return {}; }
  static ObjectSpecifier uniqueID(ObjectSpecifier container, std::string key, std::int64_t id) {
    return {Form::UniqueID, std::make_shared<const ObjectSpecifier>(std::move(container)),
            std::move(key), id};
  }
  static ObjectSpecifier index(ObjectSpecifier container, std::string key, std::int64_t index) {
    return {Form::Index, std::make_shared<const ObjectSpecifier>(std::move(container)),
            std::move(key), index};
  }
};

// An object of the scripting model; the module's classes derive from it.
class ScriptObject : public std::enable_shared_from_this<ScriptObject> {
 public:
  virtual ~ScriptObject() = default;
  // The name of its class in the registered definition.
  virtual std::string scriptClass() const = 0;
  virtual std::optional<ObjectSpecifier> objectSpecifier() const { return std::nullopt; }
};

}  // namespace velquarin::platform
