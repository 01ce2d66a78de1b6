#pragma once

#include <string>

// The general pasteboard as a clip target.
class ZqClipboard {
 public:
  // Puts the text on the general pasteboard as its only, plain-text, contents.
  static void copy(const std::string& text);
};
