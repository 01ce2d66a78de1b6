#pragma once

#include <string_view>

// Names of source files as log records and contract reports show them, computed at
// compile time from __FILE__.

// The path below src/ without extension ("Keychain/ZqKeyChain").
consteval std::string_view ZqSourcePath(std::string_view file) {
  const auto src = file.rfind("/src/");
  if (src != std::string_view::npos) file.remove_prefix(src + 5);
  const auto dot = file.rfind('.');
  if (dot != std::string_view::npos && file.find('/', dot) == std::string_view::npos) {
    file = file.substr(0, dot);
  }
  return file;
}

// The file name alone, without extension ("ZqNetwork").
consteval std::string_view ZqSourceBaseName(std::string_view file) {
  file = ZqSourcePath(file);
  const auto slash = file.rfind('/');
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  return file;
}

#define ZQ_SOURCE_PATH (ZqSourcePath(__FILE__))
#define ZQ_SOURCE_BASENAME (ZqSourceBaseName(__FILE__))
