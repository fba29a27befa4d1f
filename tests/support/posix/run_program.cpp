#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "test_platform.h"

extern char** environ;

namespace kelvor::test {
namespace {
constexpr std::string_view kReportPrefix = "Kelvor: ";
}

ProgramResult RunProgram(const std::vector<std::string>& arguments) {
  const char* program = std::getenv("KELVOR_PROGRAM");
  ProgramResult result;
  if (!program) return result;

  int error_pipe[2];
  if (pipe(error_pipe) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, error_pipe[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, error_pipe[0]);

  std::vector<char*> argv{const_cast<char*>(program)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child;
  int spawned = posix_spawn(&child, program, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(error_pipe[1]);
  if (spawned != 0) {
    close(error_pipe[0]);
    return result;
  }

  std::string errors;
  char buffer[4096];
  for (ssize_t got; (got = read(error_pipe[0], buffer, sizeof buffer)) > 0;)
    errors.append(buffer, got);
  close(error_pipe[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

  // Error reports are the lines of the message boxes: "Kelvor: ...".
  std::istringstream lines(errors);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(kReportPrefix)) result.reports.push_back(line);
  }
  return result;
}

}  // namespace kelvor::test
