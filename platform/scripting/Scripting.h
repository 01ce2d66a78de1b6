#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scripting/ScriptingDefinition.h"

namespace velquarin::platform {

struct ScriptError {
  enum class Kind { UnknownObject, InvalidArgs, NotAllowed };
  Kind kind;
  std::string message;
};

template <class T>
struct ScriptResult {
  std::optional<ScriptError> error;
  T value{};
};

using ScriptProperties = std::vector<std::pair<std::string, ScriptValue>>;

// The scripting runtime: resolves object specifiers against the registered definition and
// runs the standard commands (make, get, set, delete) and class commands on the objects, the
// way the desktop's scripting runtime drives an application's model. Main thread only.
class Scripting {
 public:
  // Called after an element list of `owner` changed (key) or an announced property did.
  using Listener = std::function<void(ScriptObject& owner, const std::string& key)>;

  static Scripting& shared();

  void setDefinition(std::shared_ptr<const ScriptingDefinition> definition);
  std::shared_ptr<const ScriptingDefinition> definition() const { return definition_; }
  const ScriptClass* classOf(const ScriptObject& object) const;

  ScriptResult<ScriptObjectPtr> resolve(const ObjectSpecifier& specifier) const;
  // make new `className` at the end of `key` of `container` with `properties`: every key and
  // value is checked before anything is made; then the object is made, its properties set in
  // order, and it is inserted through the element setter (the list plus the new object).
  ScriptResult<ScriptObjectPtr> make(const std::string& className, const ObjectSpecifier& container,
                                     const std::string& key, const ScriptProperties& properties);
  ScriptResult<ScriptValue> get(const ObjectSpecifier& specifier, const std::string& key) const;
  std::optional<ScriptError> set(const ObjectSpecifier& specifier, const std::string& key,
                                 const ScriptValue& value);
  // Removes an element from its container through the element setter (the list without it).
  std::optional<ScriptError> remove(const ObjectSpecifier& specifier);
  ScriptResult<ScriptValue> perform(const ObjectSpecifier& specifier, const std::string& command);

  // An object of a class whose properties are plain values (a recipient), made and filled.
  ScriptResult<ScriptObjectPtr> makeValueObject(const std::string& className,
                                                const ScriptProperties& properties) const;
  // Whether `value` may be given to `property` (type, class, list elements).
  bool accepts(const ScriptProperty& property, const ScriptValue& value) const;

  void addListener(Listener listener) { listeners_.push_back(std::move(listener)); }
  void announce(ScriptObject& owner, const std::string& key);

 private:
  Scripting() = default;
  std::optional<ScriptError> checkProperties(const ScriptClass& cls,
                                             const ScriptProperties& properties) const;

  std::shared_ptr<const ScriptingDefinition> definition_;
  std::vector<Listener> listeners_;
};

}  // namespace velquarin::platform
