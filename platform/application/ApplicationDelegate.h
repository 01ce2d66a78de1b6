#pragma once

#include <memory>
#include <string>

#include "menus/Menu.h"
#include "runtime/MethodTable.h"

namespace velquarin::platform {

// The application's delegate, made by the host framework before any add-on loads. What it
// answers is looked up by class and selector in the runtime's tables, so a module can add
// operations to its class or replace them (keeping the originals). Main thread only.
class ApplicationDelegate {
 public:
  // Operations returning a menu ("applicationDockMenu:").
  using MenuOperations = MethodTable<std::shared_ptr<Menu>(ApplicationDelegate&)>;
  // Operations with one object argument and no result ("zq_composeNewMessage:").
  using ActionOperations = MethodTable<void(ApplicationDelegate&)>;

  static constexpr const char* kDefaultClassName = "HostApplicationDelegate";
  static constexpr const char* kDockMenuSelector = "applicationDockMenu:";

  explicit ApplicationDelegate(std::string className = kDefaultClassName);
  const std::string& className() const { return className_; }

  static MenuOperations& menuOperations();
  static ActionOperations& actionOperations();

  // The dock menu the delegate offers; null when it has no such operation or returns none.
  std::shared_ptr<Menu> applicationDockMenu();
  // Sends an action; false when the class does not respond to the selector.
  bool perform(const std::string& selector);

 private:
  std::string className_;
};

}  // namespace velquarin::platform
