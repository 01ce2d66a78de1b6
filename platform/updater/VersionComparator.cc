#include "updater/VersionComparator.h"

#include <cctype>
#include <vector>

namespace velquarin::platform::updater {
namespace {

// Ordered so that, where two versions differ in kind at the same place, the later kind wins.
enum class Kind { Letters = 0, Separator = 1, Number = 2 };

struct Run {
  Kind kind;
  std::string_view text;
};

Kind kindOf(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (std::isdigit(u)) return Kind::Number;
  if (std::isalpha(u) || u >= 0x80) return Kind::Letters;
  return Kind::Separator;
}

std::vector<Run> runsOf(std::string_view text) {
  std::vector<Run> runs;
  std::size_t start = 0;
  while (start < text.size()) {
    const Kind kind = kindOf(text[start]);
    std::size_t end = start + 1;
    // A separator is one character: "1..2" has two of them.
    if (kind != Kind::Separator) {
      while (end < text.size() && kindOf(text[end]) == kind) ++end;
    }
    runs.push_back({kind, text.substr(start, end - start)});
    start = end;
  }
  return runs;
}

int sign(int value) {
  return (value > 0) - (value < 0);
}

// Digit strings as numbers, without converting them: no run is too long.
int compareNumbers(std::string_view a, std::string_view b) {
  while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
  while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return sign(a.compare(b));
}

int compareRuns(const Run& a, const Run& b) {
  if (a.kind != b.kind) return static_cast<int>(a.kind) < static_cast<int>(b.kind) ? -1 : 1;
  if (a.kind == Kind::Number) return compareNumbers(a.text, b.text);
  return sign(a.text.compare(b.text));
}

}  // namespace

int compareVersions(std::string_view a, std::string_view b) {
  const auto left = runsOf(a);
  const auto right = runsOf(b);
  const std::size_t common = std::min(left.size(), right.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (const int order = compareRuns(left[i], right[i])) return order;
  }
  if (left.size() == right.size()) return 0;
  // The longer one is newer unless what it adds begins with letters (a pre-release).
  const bool leftLonger = left.size() > right.size();
  const Run& next = leftLonger ? left[common] : right[common];
  const bool longerIsNewer = next.kind != Kind::Letters;
  return (leftLonger == longerIsNewer) ? 1 : -1;
}

}  // namespace velquarin::platform::updater
