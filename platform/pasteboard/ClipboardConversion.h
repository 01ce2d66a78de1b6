#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pasteboard/PasteboardItem.h"

namespace velquarin::platform {

// Between pasteboard items and the targets of the desktop clipboard, both ways.

// What this process offers for its items: every target of every type, first appearance first.
std::vector<std::string> clipboardTargetsOf(const std::vector<PasteboardItem>& items);
// The bytes served for one target; nullopt when no item gives it.
std::optional<PasteboardBytes> clipboardDataForTarget(const std::vector<PasteboardItem>& items,
                                                      std::string_view target);

using ClipboardReader = std::function<std::optional<PasteboardBytes>(const std::string& target)>;
using TypeFilter = std::function<bool(const std::string& type)>;

// The items another application's targets read as: one item of the mapped types in target
// order (meta targets skipped), or, when a file list is offered, one item per file URL
// ("public.file-url"), the first carrying the other types too. Data is read through `read`
// for the types `wanted` accepts; a type whose read fails stays without data.
std::vector<PasteboardItem> clipboardItemsFromTargets(const std::vector<std::string>& targets,
                                                      const ClipboardReader& read,
                                                      const TypeFilter& wanted);

}  // namespace velquarin::platform
