#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scripting/ScriptValue.h"

namespace velquarin::platform {

enum class ScriptType {
  Boolean,
  Integer,
  Text,      // text, or missing
  Object,    // one object of `objectClass`, or missing
  Elements,  // a list of objects of `objectClass`
};

struct ScriptProperty {
  std::string key;  // as the definition names it: "subject", "toRecipients"
  ScriptType type = ScriptType::Text;
  std::string objectClass;
  std::function<ScriptValue(ScriptObject&)> get;               // empty: write-only
  std::function<void(ScriptObject&, const ScriptValue&)> set;  // empty: read-only
  // Elements: the first element whose unique ID is the given one (empty: compared in order).
  std::function<ScriptObjectPtr(ScriptObject&, std::int64_t)> elementWithUniqueID;
  bool asksHost = false;   // read on each request only; never listed with the others
  bool announced = false;  // its changes are announced to listeners
};

struct ScriptCommand {
  std::string name;  // "compose"
  std::function<ScriptValue(ScriptObject&)> run;
};

struct ScriptClass {
  std::string name;  // "OutgoingMessage"
  std::vector<ScriptProperty> properties;
  std::vector<ScriptCommand> commands;
  std::function<ScriptObjectPtr()> make;  // empty: scripts cannot make one
  std::string uniqueIDKey;                // the integer property elements are found by

  const ScriptProperty* property(const std::string& key) const {
    for (const auto& each : properties) {
      if (each.key == key) return &each;
    }
    return nullptr;
  }
};

// What the module offers scripts: its classes, the application object (an object of
// `applicationClass`) and the prefix of its bus interfaces ("io.example.Scripting1").
struct ScriptingDefinition {
  std::string busInterfacePrefix;
  std::string applicationClass;
  std::vector<ScriptClass> classes;
  ScriptObjectPtr application;

  const ScriptClass* classNamed(const std::string& name) const {
    for (const auto& each : classes) {
      if (each.name == name) return &each;
    }
    return nullptr;
  }
};

}  // namespace velquarin::platform
