#include "pasteboard/PasteboardItem.h"

#include "pasteboard/PasteboardTypes.h"

namespace velquarin::platform {

std::vector<std::string> PasteboardItem::types() const {
  std::vector<std::string> types;
  types.reserve(entries_.size());
  for (const auto& entry : entries_) types.push_back(entry.type);
  return types;
}

const PasteboardItem::Entry* PasteboardItem::find(std::string_view type) const {
  const auto canonical = canonicalPasteboardType(type);
  for (const auto& entry : entries_) {
    if (entry.type == canonical) return &entry;
  }
  return nullptr;
}

bool PasteboardItem::hasType(std::string_view type) const {
  return find(type) != nullptr;
}

SharedBytes PasteboardItem::dataForType(std::string_view type) const {
  const auto* entry = find(type);
  return entry ? entry->data : nullptr;
}

void PasteboardItem::declareType(std::string_view type) {
  if (!find(type)) entries_.push_back({canonicalPasteboardType(type), nullptr});
}

void PasteboardItem::setData(std::string_view type, SharedBytes data) {
  auto canonical = canonicalPasteboardType(type);
  for (auto& entry : entries_) {
    if (entry.type == canonical) {
      entry.data = std::move(data);
      return;
    }
  }
  entries_.push_back({std::move(canonical), std::move(data)});
}

}  // namespace velquarin::platform
