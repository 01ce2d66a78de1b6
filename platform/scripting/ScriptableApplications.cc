#include "scripting/ScriptableApplications.h"

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>

namespace velquarin::platform {
namespace {

struct Model {
  ScriptableApplications::Description description;
  std::deque<ScriptingMessage> messages;
  std::size_t objects = 0;
};

struct Registry {
  std::mutex mutex;
  std::map<std::string, Model> models;
};

Registry& registry() {
  static Registry* shared = new Registry();
  return *shared;
}

bool listed(const std::vector<std::string>& list, const std::string& selector) {
  return std::find(list.begin(), list.end(), selector) != list.end();
}

bool answersNull(const std::string& selector) {
  return selector == "activate" || selector.rfind("set", 0) == 0;
}

}  // namespace

void ScriptableApplications::add(const std::string& id, Description description) {
  std::lock_guard lock(registry().mutex);
  registry().models[id] = Model{std::move(description), {}, 0};
}

bool ScriptableApplications::remove(const std::string& id) {
  std::lock_guard lock(registry().mutex);
  return registry().models.erase(id) > 0;
}

bool ScriptableApplications::contains(const std::string& id) {
  std::lock_guard lock(registry().mutex);
  return registry().models.count(id) > 0;
}

bool ScriptableApplications::responds(const std::string& id, const std::string& selector) {
  std::lock_guard lock(registry().mutex);
  auto found = registry().models.find(id);
  if (found == registry().models.end()) return false;
  const auto& description = found->second.description;
  return listed(description.selectors, selector) || listed(description.raising, selector);
}

ScriptingAnswer ScriptableApplications::send(const std::string& id, const std::string& receiver,
                                             const std::string& selector,
                                             nlohmann::json arguments) {
  std::lock_guard lock(registry().mutex);
  auto found = registry().models.find(id);
  if (found == registry().models.end()) return {true, "no application " + id, nullptr};
  auto& model = found->second;
  model.messages.push_back({receiver, selector, std::move(arguments)});
  if (model.messages.size() > kKeptMessages) model.messages.pop_front();
  if (listed(model.description.raising, selector)) {
    return {true, selector + " raised an exception", nullptr};
  }
  if (!listed(model.description.selectors, selector)) {
    return {true, "unrecognized selector " + selector, nullptr};
  }
  if (answersNull(selector)) return {};
  return {false, {}, id + "/" + std::to_string(++model.objects)};
}

std::vector<ScriptingMessage> ScriptableApplications::messages(const std::string& id) {
  std::lock_guard lock(registry().mutex);
  auto found = registry().models.find(id);
  if (found == registry().models.end()) return {};
  return {found->second.messages.begin(), found->second.messages.end()};
}

}  // namespace velquarin::platform
