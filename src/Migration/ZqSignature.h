#pragma once

#include "Migration/ZqManagedObject.h"

// A signature of an account for one sender address.
class ZqSignature : public ZqManagedObject {
 public:
  using ZqManagedObject::ZqManagedObject;

  std::optional<double> useByDefault() const { return numberValue("useByDefault"); }
  std::optional<std::string> email() const { return stringValue("email"); }
  std::optional<std::string> name() const { return stringValue("name"); }
  std::optional<std::string> richContents() const { return stringValue("richContents"); }
  void setUseByDefault(bool value) {
    object_->setValue("useByDefault", zq_graph::Value::boolean(value));
  }
  void setEmail(std::optional<std::string> email) { setString("email", std::move(email)); }
  void setName(std::optional<std::string> name) { setString("name", std::move(name)); }
  void setRichContents(std::optional<std::string> text) {
    setString("richContents", std::move(text));
  }
};
