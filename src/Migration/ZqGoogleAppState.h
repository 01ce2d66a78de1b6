#pragma once

#include "Migration/ZqManagedObject.h"

// One tab of a workspace: the app identifier's string form and the page address.
class ZqGoogleAppState : public ZqManagedObject {
 public:
  using ZqManagedObject::ZqManagedObject;

  std::optional<std::string> identifier() const { return stringValue("identifier"); }
  std::optional<std::string> url() const { return stringValue("url"); }
  void setIdentifier(std::optional<std::string> identifier) {
    setString("identifier", std::move(identifier));
  }
  void setUrl(std::optional<std::string> url) { setString("url", std::move(url)); }
  zq_graph::Object* workspaceState() const { return object_->relatedOne("workspaceState"); }

  // {"identifier", "url"}, absent values as null.
  nlohmann::json dictionaryWithValues() const;
};
