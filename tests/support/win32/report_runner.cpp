// A test tool for scripts: runs the program under test (KELVOR_PROGRAM) with
// the given arguments, closes its message boxes, prints their texts on
// standard error as the Linux build prints its reports ("Kelvor: text"), and
// ends with the program's exit code.
#include <cstdio>
#include <set>

#include "window_driver.h"

int main(int argc, char** argv) {
  using namespace kelvor::test;
  RunningProgram program = StartProgramProcess({argv + 1, argv + argc});
  if (!program.process) return -1;
  std::set<HWND> reported;
  for (bool ended = false; !ended;) {
    ended = WaitForSingleObject(program.process, 50) == WAIT_OBJECT_0;
    for (HWND box : MessageBoxesOf(program.process_id)) {
      if (!reported.insert(box).second) continue;
      std::fprintf(stderr, "Kelvor: %s\n", MessageBoxText(box).c_str());
      CloseMessageBox(box);
    }
  }
  return FinishProgram(program);
}
