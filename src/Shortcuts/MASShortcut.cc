#include "Shortcuts/MASShortcut.h"

#include <glib.h>

#include <filesystem>
#include <map>
#include <memory>

#include "bundle/Bundle.h"
#include "hotkeys/HotKeyCenter.h"
#include "keyboard/KeyboardLayout.h"
#include "plist/PropertyList.h"
#include "strings/StringTables.h"

namespace Flags = velquarin::platform::EventModifierFlags;
namespace HotKeyModifiers = velquarin::platform::HotKeyModifiers;

namespace {

constexpr std::uint64_t kSpace = 49;

// Keys whose names do not depend on the layout.
const std::map<std::uint64_t, std::string>& fixedNames() {
  static const auto* names = new std::map<std::uint64_t, std::string>{
      {36, "\u21A9"},  {48, "\u21E5"},  {51, "\u232B"},  {53, "\u238B"},  {71, "\u2327"},
      {76, "\u2305"},  {78, "\u2013"},  {65, "."},       {67, "*"},       {69, "+"},
      {75, "/"},       {81, "="},       {82, "0"},       {83, "1"},       {84, "2"},
      {85, "3"},       {86, "4"},       {87, "5"},       {88, "6"},       {89, "7"},
      {91, "8"},       {92, "9"},       {114, "?"},      {115, "\u2196"}, {116, "\u21DE"},
      {117, "\u2326"}, {119, "\u2198"}, {121, "\u21DF"}, {123, "\u2190"}, {124, "\u2192"},
      {125, "\u2193"}, {126, "\u2191"}, {122, "F1"},     {120, "F2"},     {99, "F3"},
      {118, "F4"},     {96, "F5"},      {97, "F6"},      {98, "F7"},      {100, "F8"},
      {101, "F9"},     {109, "F10"},    {103, "F11"},    {111, "F12"},    {105, "F13"},
      {107, "F14"},    {113, "F15"},    {106, "F16"},    {64, "F17"},     {79, "F18"},
      {80, "F19"},
  };
  return *names;
}

struct GFreeDeleter {
  void operator()(gchar* text) const { g_free(text); }
};

// Letters and digits, punctuation and symbols only; anything else names no key.
bool isNameable(const std::string& text) {
  if (text.empty() || !g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    return false;
  }
  for (const char* p = text.c_str(); *p; p = g_utf8_next_char(p)) {
    switch (g_unichar_type(g_utf8_get_char(p))) {
      case G_UNICODE_CONTROL:
      case G_UNICODE_FORMAT:
      case G_UNICODE_UNASSIGNED:
      case G_UNICODE_PRIVATE_USE:
      case G_UNICODE_SURROGATE:
      case G_UNICODE_SPACE_SEPARATOR:
      case G_UNICODE_LINE_SEPARATOR:
      case G_UNICODE_PARAGRAPH_SEPARATOR:
      case G_UNICODE_SPACING_MARK:
      case G_UNICODE_ENCLOSING_MARK:
      case G_UNICODE_NON_SPACING_MARK:
        return false;
      default:
        break;
    }
  }
  return true;
}

// Upper case by the root locale: ASCII by hand (a Turkish locale would give a dotted I),
// the rest through full case mapping (ß becomes SS).
std::string upperCased(const std::string& text) {
  std::string result;
  for (const char* p = text.c_str(); *p; p = g_utf8_next_char(p)) {
    const char* next = g_utf8_next_char(p);
    if (static_cast<unsigned char>(*p) < 0x80) {
      result.push_back(static_cast<char>(g_ascii_toupper(*p)));
      continue;
    }
    std::unique_ptr<gchar, GFreeDeleter> upper(g_utf8_strup(p, next - p));
    result += upper ? upper.get() : std::string(p, next);
  }
  return result;
}

}  // namespace

std::string MASLocalizedString(const std::string& key) {
  using velquarin::platform::Bundle;
  const auto main = Bundle::main();
  // The strings bundle sits in the main bundle's resources (a folder, so not a resource file).
  const auto path = main ? main->resourcesPath() + "/MASShortcut.bundle" : std::string();
  std::error_code error;
  const auto bundle =
      main && std::filesystem::is_directory(path, error) ? Bundle::load(path) : main;
  if (!bundle) return "XXX";
  auto text = velquarin::platform::localizedString(*bundle, key, "", "Localizable");
  if (!text.empty()) return text;
  // No preferred language has the text: the bundle's own language has it, as on the desktop.
  const auto region = bundle->infoString("CFBundleDevelopmentRegion").value_or("en");
  if (region.find('/') != std::string::npos || region.find("..") != std::string::npos) return "XXX";
  const auto table = velquarin::platform::readPropertyListFile(
      bundle->resourcesPath() + "/" + region + ".lproj/Localizable.strings", 1 << 20);
  if (table && table->is_object() && table->contains(key) && (*table)[key].is_string()) {
    return (*table)[key].get<std::string>();
  }
  return "XXX";
}

std::uint32_t MASShortcut::carbonKeyCode() const {
  return hasKey() ? static_cast<std::uint32_t>(keyCode_) : 0;
}

std::uint32_t MASShortcut::carbonFlags() const {
  return HotKeyModifiers::fromEventFlags(modifierFlags_);
}

std::string MASShortcut::modifierFlagsString() const {
  std::string text;
  if (modifierFlags_ & Flags::Control) text += "\u2303";
  if (modifierFlags_ & Flags::Option) text += "\u2325";
  if (modifierFlags_ & Flags::Shift) text += "\u21E7";
  if (modifierFlags_ & Flags::Command) text += "\u2318";
  return text;
}

std::string MASShortcut::keyCodeString() const {
  if (!hasKey()) return {};
  if (keyCode_ == kSpace) return MASLocalizedString("Space");
  if (auto found = fixedNames().find(keyCode_); found != fixedNames().end()) {
    return found->second;
  }
  if (keyCode_ > 0xffff) return {};
  const auto typed = velquarin::platform::KeyboardLayout::unmodifiedCharactersFor(
      static_cast<std::uint16_t>(keyCode_));
  if (!isNameable(typed)) return {};
  return upperCased(typed);
}

std::string MASShortcut::keyCodeStringForKeyEquivalent() const {
  const auto name = keyCodeString();
  if (name.empty()) return name;
  const glong length = g_utf8_strlen(name.c_str(), -1);
  if (length >= 2) {
    if (keyCode_ == kSpace) return " ";
    for (int n = 1; n <= 19; ++n) {
      if (name != "F" + std::to_string(n)) continue;
      char buffer[8] = {};
      g_unichar_to_utf8(0xF703 + n, buffer);
      return buffer;
    }
    return {};
  }
  std::unique_ptr<gchar, GFreeDeleter> lower(g_utf8_strdown(name.c_str(), -1));
  return lower ? std::string(lower.get()) : std::string();
}
