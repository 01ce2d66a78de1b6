#include "relaunch/Relaunch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ScopedEnvironment.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using velquarin::platform::LaunchCommand;

namespace {

bool waitFor(const std::string& path, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(20ms);
  }
  return fs::exists(path);
}

}  // namespace

// The host's own command and arguments are pinned by tests/js/environment.test.js.
TEST(Relaunch, TheCommandStartsOnlyAfterTheProcessHasExited) {
  ASSERT_TRUE(fs::exists(velquarin::platform::relaunchHelperPath()));
  ScratchFolder scratch;
  // An argument that a shell would act on must reach the program as it is.
  const std::string marker = scratch.path() + "/started '$(x)'; touch pwned";

  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(report[0]);
    std::string error;
    const char ok = velquarin::platform::relaunchAfterExit(
                        LaunchCommand{"/usr/bin/touch", {"touch", marker}}, error)
                        ? '1'
                        : '0';
    (void)!write(report[1], &ok, 1);
    std::this_thread::sleep_for(400ms);  // still running: nothing may start yet
    _exit(0);
  }
  close(report[1]);
  char ok = 0;
  ASSERT_EQ(read(report[0], &ok, 1), 1);
  close(report[0]);
  EXPECT_EQ(ok, '1');
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(fs::exists(marker)) << "started while the old process was running";
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(waitFor(marker, 5s));
  EXPECT_FALSE(fs::exists(scratch.path() + "/pwned"));
}

TEST(Relaunch, NothingToLaunchIsRefused) {
  std::string error;
  EXPECT_FALSE(velquarin::platform::relaunchAfterExit(LaunchCommand{}, error));
  EXPECT_FALSE(error.empty());
}
