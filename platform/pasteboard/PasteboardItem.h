#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquarin::platform {

using PasteboardBytes = std::vector<std::uint8_t>;
using SharedBytes = std::shared_ptr<const PasteboardBytes>;

// One item of a pasteboard: its types in the order they were declared, each with its data or,
// while promised but not yet given, none. Types are kept under their canonical names. Data is
// shared and never changed in place, so copies of an item are cheap.
class PasteboardItem {
 public:
  struct Entry {
    std::string type;
    SharedBytes data;
  };

  std::vector<std::string> types() const;
  const std::vector<Entry>& entries() const { return entries_; }
  bool hasType(std::string_view type) const;
  // The data of `type`; null when the item lacks the type or has no data for it.
  SharedBytes dataForType(std::string_view type) const;

  // Adds the type at the end unless it is there; data is kept.
  void declareType(std::string_view type);
  // Declares the type when needed and sets its data.
  void setData(std::string_view type, SharedBytes data);
  void setData(std::string_view type, PasteboardBytes data) {
    setData(type, std::make_shared<const PasteboardBytes>(std::move(data)));
  }

 private:
  const Entry* find(std::string_view type) const;
  std::vector<Entry> entries_;
};

}  // namespace velquarin::platform
