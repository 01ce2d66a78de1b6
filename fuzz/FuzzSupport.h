#pragma once

// Shared by the fuzz targets. Each target is a plain LLVMFuzzerTestOneInput; the same source
// builds as a libFuzzer program (clang, build-fuzz/) and, in the ordinary build, as a replay
// test that feeds it every file of its seed corpus and its regression folder.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

// The input being replayed, named in failure reports (empty under libFuzzer, which saves the
// crashing input itself).
inline std::string& zqFuzzCurrentInput() {
  static std::string name;
  return name;
}

// A broken invariant: report it and abort, which libFuzzer records as a crash with its input.
[[noreturn]] inline void zqFuzzFail(const char* file, int line, const char* condition,
                                    std::string_view detail) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
  if (!detail.empty()) {
    std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
  }
  if (!zqFuzzCurrentInput().empty()) {
    std::fprintf(stderr, "  input: %s\n", zqFuzzCurrentInput().c_str());
  }
  std::fflush(stderr);
  std::abort();
}

#define ZQ_FUZZ_CHECK(condition, detail)                                  \
  do {                                                                    \
    if (!(condition)) zqFuzzFail(__FILE__, __LINE__, #condition, detail); \
  } while (0)

// Splits an input into fields at NUL bytes, so seeds stay readable text; the last field
// asked for takes whatever is left.
class ZqFuzzFields {
 public:
  ZqFuzzFields(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::string_view next() {
    const auto end = rest_.find('\0');
    const std::string_view field = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return field;
  }
  std::string_view rest() {
    const std::string_view field = rest_;
    rest_ = {};
    return field;
  }
  // A number written in decimal as the next field; 0 when it is not one.
  std::uint64_t number() {
    std::uint64_t value = 0;
    for (char c : next()) {
      if (c < '0' || c > '9') return 0;
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
  }

 private:
  std::string_view rest_;
};

// A private folder for targets that read files, removed when the process ends normally.
inline const std::string& zqFuzzScratchDirectory() {
  static const std::string directory = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base == '/' ? base : "/tmp") + "/zq-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    static std::string removed = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(removed, ignored);
    });
    return pattern;
  }();
  return directory;
}

// Writes `bytes` to a file of the scratch folder and returns its path.
inline std::string zqFuzzWriteScratchFile(const char* name, std::string_view bytes) {
  const std::string path = zqFuzzScratchDirectory() + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::perror(path.c_str());
    std::abort();
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !ok) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}
