#pragma once

// The replay side of a fuzz target in the ordinary test build: every file of
// fuzz/corpus/<target>/ and fuzz/regressions/<target>/ goes through the target once.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzSupport.h"

using ZqFuzzTarget = int (*)(const std::uint8_t*, std::size_t);

inline void zqReplayFolder(const std::filesystem::path& folder, ZqFuzzTarget target,
                           std::size_t* count) {
  if (!std::filesystem::is_directory(folder)) return;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << file;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    zqFuzzCurrentInput() = file.string();
    target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++*count;
  }
  zqFuzzCurrentInput().clear();
}

inline void zqReplayCorpus(const char* name, ZqFuzzTarget target) {
  const std::filesystem::path root = std::filesystem::path(VELQUARIN_SOURCE_DIR) / "fuzz";
  std::size_t seeds = 0;
  std::size_t regressions = 0;
  zqReplayFolder(root / "corpus" / name, target, &seeds);
  zqReplayFolder(root / "regressions" / name, target, &regressions);
  // A target without seeds would pass while testing nothing.
  EXPECT_GT(seeds, 0u) << "no seed inputs in fuzz/corpus/" << name;
  // Empty input is always worth one run.
  target(nullptr, 0);
}
