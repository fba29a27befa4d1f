// Runs the program in a process of its own and closes its message boxes,
// keeping their texts: what a user would read and click away.
#include <set>

#include "test_platform.h"
#include "window_driver.h"

namespace kelvor::test {

ProgramResult RunProgram(const std::vector<std::string>& arguments) {
  ProgramResult result;
  RunningProgram program = StartProgramProcess(arguments);
  if (!program.process) return result;
  std::set<HWND> handled;
  for (bool ended = false; !ended;) {
    ended = WaitForSingleObject(program.process, 50) == WAIT_OBJECT_0;
    for (HWND box : MessageBoxesOf(program.process_id)) {
      if (!handled.insert(box).second) continue;
      result.reports.push_back(MessageBoxText(box));
      CloseMessageBox(box);
    }
  }
  result.exit_code = FinishProgram(program);
  return result;
}

}  // namespace kelvor::test
