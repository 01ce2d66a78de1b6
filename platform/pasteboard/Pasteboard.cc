#include "pasteboard/Pasteboard.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>

#include "logging/Log.h"
#include "pasteboard/ClipboardConversion.h"
#include "pasteboard/PasteboardTypes.h"
#include "plist/PlistWriter.h"

namespace velquarin::platform {
namespace {

std::atomic<std::size_t> gReadLimit{64u << 20};

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Pasteboard>> named;
  unsigned long long nextUnique = 0;
};

Registry& registry() {
  static auto* shared = new Registry();  // leaked: pasteboards outlive static destructors
  return *shared;
}

bool isStandardName(const std::string& name) {
  return name == kGeneralPasteboardName || name == kFindPasteboardName ||
         name == kDragPasteboardName;
}

void logInfo(const char* function, int line, std::string_view text) {
  Log::write(LogLevel::Info, {"pasteboard/Pasteboard", function, line}, text);
}

// The general pasteboard's backend, chosen once: the desktop clipboard when $DISPLAY
// connects and nothing forces the in-process one.
std::shared_ptr<DesktopClipboard> chooseClipboard() {
  const char* forced = std::getenv("VELQUARIN_PASTEBOARD");
  if (forced && std::string_view(forced) == "memory") {
    logInfo(__func__, __LINE__,
            "The general pasteboard stays in this process (VELQUARIN_PASTEBOARD=memory)");
    return nullptr;
  }
  std::string why;
  auto clipboard = openDesktopClipboard(&why);
  if (!clipboard) {
    logInfo(__func__, __LINE__,
            "No desktop clipboard (" + why + "); the general pasteboard stays in this process");
  }
  return clipboard;
}

}  // namespace

std::shared_ptr<Pasteboard> Pasteboard::withName(const std::string& name) {
  auto& shared = registry();
  std::lock_guard lock(shared.mutex);
  auto& slot = shared.named[name];
  if (!slot) {
    slot = std::make_shared<Pasteboard>(
        name, name == kGeneralPasteboardName ? chooseClipboard() : nullptr);
  }
  return slot;
}

std::shared_ptr<Pasteboard> Pasteboard::general() {
  return withName(kGeneralPasteboardName);
}

std::shared_ptr<Pasteboard> Pasteboard::find() {
  return withName(kFindPasteboardName);
}

std::shared_ptr<Pasteboard> Pasteboard::drag() {
  return withName(kDragPasteboardName);
}

std::shared_ptr<Pasteboard> Pasteboard::withUniqueName() {
  auto& shared = registry();
  std::lock_guard lock(shared.mutex);
  std::string name;
  do {
    name = "Velquarin unique pasteboard " + std::to_string(++shared.nextUnique);
  } while (shared.named.count(name));
  auto pasteboard = std::make_shared<Pasteboard>(name);
  shared.named.emplace(name, pasteboard);
  return pasteboard;
}

bool Pasteboard::release(const std::string& name) {
  if (isStandardName(name)) return false;
  auto& shared = registry();
  std::lock_guard lock(shared.mutex);
  return shared.named.erase(name) > 0;
}

std::size_t Pasteboard::namedCount() {
  auto& shared = registry();
  std::lock_guard lock(shared.mutex);
  return shared.named.size();
}

std::size_t Pasteboard::readLimit() {
  return gReadLimit.load();
}

void Pasteboard::setReadLimit(std::size_t bytes) {
  gReadLimit.store(bytes);
}

Pasteboard::Pasteboard(std::string name, std::shared_ptr<DesktopClipboard> clipboard)
    : name_(std::move(name)), clipboard_(std::move(clipboard)) {}

std::shared_ptr<DesktopClipboard> Pasteboard::liveClipboard() const {
  std::lock_guard lock(mutex_);
  if (clipboard_ && !clipboard_->connected()) {
    logInfo(__func__, __LINE__,
            "The desktop clipboard's connection was lost; the general pasteboard stays in this "
            "process");
    clipboard_.reset();
  }
  return clipboard_;
}

std::string Pasteboard::backendName() const {
  auto clipboard = liveClipboard();
  return clipboard ? clipboard->name() : "memory";
}

long Pasteboard::changeCount() const {
  std::lock_guard lock(mutex_);
  return changeCount_;
}

// Publishes the contents to the desktop clipboard, when this pasteboard is it. A connection
// lost on the way leaves the contents in this process.
bool Pasteboard::publishLocked(std::unique_lock<std::mutex>& lock) {
  auto clipboard = clipboard_;
  if (!clipboard) return true;
  auto snapshot = std::make_shared<const ClipboardItems>(items_);
  lock.unlock();
  const bool published = clipboard->publish(std::move(snapshot));
  const bool lost = !clipboard->connected();
  lock.lock();
  if (lost && clipboard_ == clipboard) clipboard_.reset();
  return published || lost;
}

long Pasteboard::clearContents() {
  std::unique_lock lock(mutex_);
  items_.clear();
  publishLocked(lock);
  return ++changeCount_;
}

long Pasteboard::declareTypes(const std::vector<std::string>& types) {
  std::unique_lock lock(mutex_);
  items_.clear();
  PasteboardItem item;
  for (const auto& type : types) item.declareType(type);
  if (!types.empty()) items_.push_back(std::move(item));
  publishLocked(lock);
  return ++changeCount_;
}

bool Pasteboard::setData(PasteboardBytes data, std::string_view type) {
  std::unique_lock lock(mutex_);
  if (items_.empty() || !items_.front().hasType(type)) return false;
  items_.front().setData(type, std::move(data));
  return publishLocked(lock);
}

bool Pasteboard::setString(std::string_view text, std::string_view type) {
  return setData(PasteboardBytes(text.begin(), text.end()), type);
}

bool Pasteboard::setPropertyList(const PlistValue& value, std::string_view type) {
  return setString(writePlistValue(value, PlistFormat::Xml), type);
}

// Swaps in new contents and publishes them; on failure the old contents stay.
bool Pasteboard::writeLocked(std::unique_lock<std::mutex>& lock,
                             std::vector<PasteboardItem> items) {
  std::swap(items_, items);
  if (!publishLocked(lock)) {
    items_ = std::move(items);
    return false;
  }
  ++changeCount_;
  return true;
}

bool Pasteboard::writeItems(const std::vector<PasteboardItem>& items) {
  std::unique_lock lock(mutex_);
  auto next = items_;
  next.insert(next.end(), items.begin(), items.end());
  return writeLocked(lock, std::move(next));
}

bool Pasteboard::replaceItems(const std::vector<PasteboardItem>& items) {
  std::unique_lock lock(mutex_);
  return writeLocked(lock, items);
}

std::optional<std::vector<PasteboardItem>> Pasteboard::readItems(
    const std::function<bool(const std::string&)>& wanted) const {
  auto clipboard = liveClipboard();
  if (clipboard && !clipboard->ownsClipboard()) {
    auto targets = clipboard->targets();
    if (!targets) return std::nullopt;
    return clipboardItemsFromTargets(
        *targets, [&](const std::string& target) { return clipboard->read(target); }, wanted);
  }
  std::lock_guard lock(mutex_);
  return items_;
}

std::optional<std::vector<PasteboardItem>> Pasteboard::items(bool withData) const {
  return readItems([withData](const std::string&) { return withData; });
}

std::optional<std::vector<PasteboardItem>> Pasteboard::itemsWithDataOf(
    std::string_view type) const {
  const auto wanted = canonicalPasteboardType(type);
  return readItems([&wanted](const std::string& each) { return each == wanted; });
}

std::vector<std::string> Pasteboard::types() const {
  std::vector<std::string> types;
  for (const auto& item : items(false).value_or(std::vector<PasteboardItem>{})) {
    for (auto& type : item.types()) {
      if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    }
  }
  return types;
}

std::optional<PasteboardBytes> Pasteboard::dataForType(std::string_view type) const {
  for (const auto& item : itemsWithDataOf(type).value_or(std::vector<PasteboardItem>{})) {
    if (auto data = item.dataForType(type)) return *data;
  }
  return std::nullopt;
}

std::optional<std::string> Pasteboard::stringForType(std::string_view type) const {
  auto data = dataForType(type);
  if (!data) return std::nullopt;
  return std::string(data->begin(), data->end());
}

std::optional<PlistValue> Pasteboard::propertyListForType(std::string_view type) const {
  auto text = stringForType(type);
  if (!text) return std::nullopt;
  return parsePlistValue(*text);
}

}  // namespace velquarin::platform
