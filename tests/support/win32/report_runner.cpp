// A test tool for scripts: runs the program under test (KELVOR_PROGRAM) with
// the given arguments, closes its message boxes, prints their texts on
// standard error as the Linux build prints its reports ("Kelvor: text"), and
// ends with the program's exit code.
#include <cstdio>

#include "test_platform.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  kelvor::test::ProgramResult result = kelvor::test::RunProgram(arguments);
  for (const std::string& report : result.reports)
    std::fprintf(stderr, "Kelvor: %s\n", report.c_str());
  return result.exit_code;
}
