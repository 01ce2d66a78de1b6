#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "tasks/Task.h"

namespace fs = std::filesystem;
using velquarin::platform::runTask;
using velquarin::platform::TaskOptions;

TEST(Task, RunsOnlyAbsoluteProgramsWithAnArgumentVector) {
  EXPECT_FALSE(runTask("sh", {"-c", "exit 0"}).launched);
  // The argument is one word for the program, never a shell line.
  TaskOptions options;
  options.captureOutput = 100;
  const auto result = runTask("/bin/echo", {"a b; echo c"}, options);
  EXPECT_TRUE(result.launched);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, "a b; echo c\n");
  EXPECT_EQ(runTask("/bin/sh", {"-c", "exit 3"}).exitStatus, 3);
  // Standard input is empty: a program waiting on a question gets an end of file at once.
  options.captureOutput = 100;
  EXPECT_EQ(runTask("/bin/sh", {"-c", "read answer; echo \"[$answer]\""}, options).output, "[]\n");
}

TEST(Task, OutputIsCappedButAlwaysDrained) {
  TaskOptions options;
  options.captureOutput = 10;
  // Far more than a pipe holds: the program must still be able to finish.
  const auto result = runTask("/bin/sh", {"-c", "head -c 1000000 /dev/zero | tr '\\0' x"}, options);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, std::string(10, 'x'));
}

TEST(Task, FileSizeLimitAndStoppingAreEnforced) {
  std::string pattern = (fs::temp_directory_path() / "task-test-XXXXXX").string();
  const fs::path folder = ::mkdtemp(pattern.data());
  const fs::path file = folder / "out";
  TaskOptions limited;
  limited.maxFileSize = 1000;
  const auto result =
      runTask("/bin/sh", {"-c", "head -c 5000 /dev/zero > \"$0\"", file.string()}, limited);
  EXPECT_TRUE(result.launched);
  EXPECT_EQ(result.signal, 0);  // a failed write, not a core dump
  EXPECT_EQ(fs::file_size(file), 1000u);

  TaskOptions stopping;
  int asked = 0;
  stopping.keepGoing = [&] { return ++asked < 2; };
  stopping.pollInterval = std::chrono::milliseconds(5);
  const auto started = std::chrono::steady_clock::now();
  const auto stopped = runTask("/bin/sleep", {"10"}, stopping);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.signal, SIGKILL);
  EXPECT_EQ(asked, 2);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  fs::remove_all(folder);
}

TEST(Task, GivenInputTimeAndMemoryLimits) {
  TaskOptions options;
  options.captureOutput = 100;
  int input[2];
  ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
  ASSERT_EQ(::write(input[1], "abcdef", 6), 6);
  ::close(input[1]);
  options.standardInput = input[0];
  EXPECT_EQ(runTask("/bin/sh", {"-c", "head -c 4"}, options).output, "abcd");
  ::close(input[0]);
  options.standardInput = -1;

  // A program that fills the pipe and ends at once: its output is read to the end.
  options.captureOutput = 1 << 20;
  EXPECT_EQ(runTask("/usr/bin/head", {"-c", "65536", "/dev/zero"}, options).output.size(), 65536u);
  // ...but not what something it left behind goes on writing.
  const auto before = std::chrono::steady_clock::now();
  EXPECT_LE(runTask("/bin/sh", {"-c", "yes &"}, options).output.size(), options.captureOutput);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  options.captureOutput = 100;

  options.timeLimit = std::chrono::milliseconds(200);
  const auto started = std::chrono::steady_clock::now();
  const auto hung = runTask("/bin/sleep", {"30"}, options);
  EXPECT_TRUE(hung.stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

#if !defined(__SANITIZE_ADDRESS__)
  options.timeLimit = {};
  options.maxAddressSpace = 64u << 20;
  // 256 MiB in one piece cannot be had under a 64 MiB limit.
  const auto greedy = runTask("/bin/sh",
                              {"-c",
                               "head -c 268435456 /dev/zero | tr '\\0' a | "
                               "(v=$(cat); echo got)"},
                              options);
  EXPECT_NE(greedy.output, "got\n");
  EXPECT_EQ(runTask("/bin/sh", {"-c", "echo ok"}, options).output, "ok\n");
#endif
}
