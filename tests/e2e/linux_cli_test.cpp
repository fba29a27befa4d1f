// The Linux command line, run as a child process against real volumes:
// mount points, messages, the terminal view, the listing, and interrupts
// that clean up.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "test_folder.h"

namespace kelvor::test {
namespace {

namespace fs = std::filesystem;
extern "C" char** environ;

struct Outcome {
  int exit_code = -1;
  std::string out, err;
};

std::string Volumes() {
  return std::getenv("KELVOR_TEST_VOLUMES");
}
std::string Program() {
  return std::getenv("KELVOR_PROGRAM");
}

// Runs a command with its standard output and error captured. `meanwhile`
// runs in this process while the child works, and may signal it.
Outcome RunCommand(std::vector<std::string> command,
                   const std::function<void(pid_t)>& meanwhile = nullptr) {
  int out_pipe[2], err_pipe[2];
  EXPECT_EQ(pipe(out_pipe), 0);
  EXPECT_EQ(pipe(err_pipe), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
  std::vector<char*> argv;
  for (std::string& part : command) argv.push_back(part.data());
  argv.push_back(nullptr);
  pid_t child = -1;
  EXPECT_EQ(posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out_pipe[1]);
  close(err_pipe[1]);

  Outcome run;
  std::thread reader([&] {
    char buffer[4096];
    for (ssize_t got; (got = read(out_pipe[0], buffer, sizeof buffer)) > 0;)
      run.out.append(buffer, got);
  });
  std::thread error_reader([&] {
    char buffer[4096];
    for (ssize_t got; (got = read(err_pipe[0], buffer, sizeof buffer)) > 0;)
      run.err.append(buffer, got);
  });
  if (meanwhile) meanwhile(child);
  int status = 0;
  waitpid(child, &status, 0);
  reader.join();
  error_reader.join();
  close(out_pipe[0]);
  close(err_pipe[0]);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

bool WaitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000 && !condition(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

class LinuxCommandLine : public testing::Test {
 protected:
  void SetUp() override {
    small_ = Volumes() + "/small";
    large_ = Volumes() + "/large";
    std::string drives = "S=" + small_ + ";L=" + large_ + ";X=" + Volumes() + "/ext4";
    setenv("KELVOR_DRIVES", drives.c_str(), 1);
  }
  static bool Clean(const std::string& volume) { return !fs::exists(volume + "/~KelvorTemp"); }
  std::string small_, large_;
};

TEST_F(LinuxCommandLine, AMountPointNamesItsDrive) {
  Outcome run = RunCommand({Program(), small_, "/0"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(Clean(small_));
  run = RunCommand({Program(), small_ + "/", "/B"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
}

TEST_F(LinuxCommandLine, NamedOptionsChooseTheWipeType) {
  const std::string kelvor0 = large_ + "/~KelvorTemp/Kelvor0.dat";
  for (auto [option, wipe_type] : {std::pair{"--ones", "All 1's"},
                                   {"--zeros", "All 0's"},
                                   {"--blocks", "Blocks of Binary Data"}}) {
    std::string start(1 << 16, '?');
    RunCommand({Program(), "L:", option}, [&](pid_t child) {
      // Kelvor0.dat is complete once the gigabyte file is begun.
      ASSERT_TRUE(WaitFor([&] { return fs::exists(large_ + "/~KelvorTemp/Kelvor1.dat"); }));
      std::ifstream(kelvor0, std::ios::binary).read(start.data(), start.size());
      kill(child, SIGTERM);
    });
    EXPECT_EQ(WipeTypeOf(start), wipe_type) << option;
    EXPECT_TRUE(Clean(large_)) << option;
  }
}

TEST_F(LinuxCommandLine, AnUnlistedDriveOrPathIsNamedInAMessageAndLeftAlone) {
  Outcome run = RunCommand({Program(), "/srv/not-a-drive"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "kelvor: /srv/not-a-drive is not the mount point of a listed drive\n");
  run = RunCommand({Program(), "Q:"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "kelvor: Q: is not a listed drive (kelvor --help lists them)\n");
}

// The view's texts are its unit test's; here, that the program gives the view
// the right output mode and drive.
TEST_F(LinuxCommandLine, WithoutATerminalTheStatusComesAsLinesThenASummary) {
  Outcome run = RunCommand({Program(), "S:"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err.find('\r'), std::string::npos);
  EXPECT_NE(run.err.find("\nWrote "), std::string::npos) << run.err;
}

TEST_F(LinuxCommandLine, OnATerminalOneLineIsUpdatedInPlaceWithABar) {
  Outcome run = RunCommand({"script", "-qec", Program() + " L: /B", "/dev/null"});
  EXPECT_EQ(run.exit_code, 0) << run.out;
  EXPECT_NE(run.out.find("\r[####################] 1/1 GB  Rate: "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nWrote 1.2"), std::string::npos) << run.out;
  EXPECT_TRUE(Clean(large_));
}

TEST_F(LinuxCommandLine, InterruptsInAGigabytePartCleanUpAndSayWhichSignal) {
  for (auto [signal_number, exit_code] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
    Outcome run = RunCommand({Program(), "L:"}, [&](pid_t child) {
      ASSERT_TRUE(WaitFor([&] { return fs::exists(large_ + "/~KelvorTemp/Kelvor1.dat"); }));
      kill(child, signal_number);
      kill(child, signal_number);  // a second one during the cleanup changes nothing
    });
    EXPECT_EQ(run.exit_code, exit_code) << signal_number;
    EXPECT_TRUE(Clean(large_)) << signal_number;
  }
}

TEST_F(LinuxCommandLine, TheListingShowsEachDriveWithItsMountPoint) {
  for (const char* help : {"--help", "-h"}) {
    Outcome run = RunCommand({Program(), help});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.out.find("S:\\    Ram Disk Drive    "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("MB Free    " + small_ + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("X:\\    Fixed Drive    "), std::string::npos);
    EXPECT_NE(run.out.find("Usage: kelvor DRIVE [OPTION]"), std::string::npos);
  }
  EXPECT_EQ(RunCommand({Program()}).out, RunCommand({Program(), "--help"}).out);
}

}  // namespace
}  // namespace kelvor::test
