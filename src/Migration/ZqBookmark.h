#pragma once

#include "Migration/ZqManagedObject.h"

// A bookmark of an account: "order", "title" and "url".
class ZqBookmark : public ZqManagedObject {
 public:
  using ZqManagedObject::ZqManagedObject;

  std::optional<double> order() const { return numberValue("order"); }
  std::optional<std::string> title() const { return stringValue("title"); }
  std::optional<std::string> url() const { return stringValue("url"); }
  void setOrder(std::int64_t order) { object_->setValue("order", zq_graph::Value::integer(order)); }
  void setTitle(std::string title) { setString("title", std::move(title)); }
  void setUrl(std::string url) { setString("url", std::move(url)); }

  // {"order", "title", "url"} with absent values as null; nullopt when a value is not JSON.
  std::optional<nlohmann::json> dictionaryWithValues() const;
};
