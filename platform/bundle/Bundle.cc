#include "bundle/Bundle.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "plist/PropertyList.h"

namespace velquarin::platform {
namespace {

struct MainBundleState {
  std::mutex mutex;
  std::optional<std::string> path;
  std::shared_ptr<const Bundle> bundle;
};

MainBundleState& mainState() {
  static MainBundleState* state = new MainBundleState();
  return *state;
}

std::string defaultMainPath() {
  if (const char* env = std::getenv("VELQUARIN_BUNDLE_PATH"); env && *env) return env;
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&defaultMainPath), &info) && info.dli_fname) {
    return (std::filesystem::path(info.dli_fname).parent_path() / "Velquarin.bundle").string();
  }
  return "Velquarin.bundle";
}

}  // namespace

Bundle::Bundle(std::string path, nlohmann::json info)
    : path_(std::move(path)), info_(std::move(info)) {}

std::shared_ptr<const Bundle> Bundle::load(const std::string& path) {
  std::error_code error;
  auto absolute = std::filesystem::weakly_canonical(path, error);
  std::string resolved = error ? path : absolute.string();
  auto info = readPropertyListFile(resolved + "/Info.plist");
  if (!info || !info->is_object()) info = nlohmann::json::object();
  return std::make_shared<const Bundle>(std::move(resolved), std::move(*info));
}

std::shared_ptr<const Bundle> Bundle::main() {
  auto& state = mainState();
  std::lock_guard lock(state.mutex);
  if (!state.bundle) state.bundle = load(state.path.value_or(defaultMainPath()));
  return state.bundle;
}

void Bundle::setMainPath(const std::string& path) {
  auto& state = mainState();
  std::lock_guard lock(state.mutex);
  state.path = path;
  state.bundle.reset();
}

std::string Bundle::resourcesPath() const {
  return path_ + "/Resources";
}

std::optional<std::string> Bundle::infoString(const std::string& key) const {
  auto it = info_.find(key);
  if (it == info_.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

std::optional<std::string> Bundle::pathForResource(const std::string& name,
                                                   const std::string& extension) const {
  // Resource names come from callers; a name that leaves the folder finds nothing.
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == ".." ||
      extension.find('/') != std::string::npos) {
    return std::nullopt;
  }
  std::string file = resourcesPath() + "/" + name;
  if (!extension.empty()) file += "." + extension;
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  return file;
}

}  // namespace velquarin::platform
