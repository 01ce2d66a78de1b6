#include "application/ApplicationDelegate.h"

namespace velquarin::platform {

ApplicationDelegate::ApplicationDelegate(std::string className) : className_(std::move(className)) {
  ClassRegistry::shared().declare(className_, "NSObject");
}

ApplicationDelegate::MenuOperations& ApplicationDelegate::menuOperations() {
  static MenuOperations* table = new MenuOperations();
  return *table;
}

ApplicationDelegate::ActionOperations& ApplicationDelegate::actionOperations() {
  static ActionOperations* table = new ActionOperations();
  return *table;
}

std::shared_ptr<Menu> ApplicationDelegate::applicationDockMenu() {
  auto operation = menuOperations().lookup(className_, kDockMenuSelector);
  return operation ? operation(*this) : nullptr;
}

bool ApplicationDelegate::perform(const std::string& selector) {
  auto operation = actionOperations().lookup(className_, selector);
  if (!operation) return false;
  operation(*this);
  return true;
}

}  // namespace velquarin::platform
