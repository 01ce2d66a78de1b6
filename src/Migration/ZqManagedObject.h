#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "objectgraph/ObjectGraph.h"

namespace zq_graph = velquarin::platform::objectgraph;

// The base of the previous version's entity classes: a handle on one object of a store's
// context. Handles are cheap to copy; the store that made them must outlive them.
class ZqManagedObject {
 public:
  explicit ZqManagedObject(zq_graph::Object* object) : object_(object) {}

  zq_graph::Object* object() const { return object_; }
  bool operator==(const ZqManagedObject& other) const { return object_ == other.object_; }

 protected:
  const zq_graph::Value* value(std::string_view attribute) const {
    return object_->value(attribute);
  }
  std::optional<std::string> stringValue(std::string_view attribute) const {
    const zq_graph::Value* stored = value(attribute);
    if (const std::string* text = stored ? stored->string() : nullptr) return *text;
    return std::nullopt;
  }
  std::optional<double> numberValue(std::string_view attribute) const {
    const zq_graph::Value* stored = value(attribute);
    return stored ? stored->number() : std::nullopt;
  }
  void setString(std::string_view attribute, std::optional<std::string> text) {
    object_->setValue(
        attribute, text ? std::optional(zq_graph::Value::string(std::move(*text))) : std::nullopt);
  }

  zq_graph::Object* object_;
};

// A stored value as JSON; nullopt for one JSON cannot hold (a date, data). Absent is null.
std::optional<nlohmann::json> ZqJSONFromStoredValue(const zq_graph::Value* value);
