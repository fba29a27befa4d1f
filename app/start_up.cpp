#include "app/start_up.h"

#include "command_line/command_line.h"
#include "command_line/command_line_run.h"
#include "platform/os_process.h"
#include "platform/os_window.h"
#include "probes/vm_probe.h"
#include "text/run_texts.h"
#include "window/main_window.h"
#include "window/main_window_view.h"

namespace kelvor::app {

bool PrepareProgram() {
  os::InitControlLibrary();
  return probes::IsVirtualMachine() == 1;
}

int StartProgram(const std::string& command_tail) {
  bool virtual_machine = PrepareProgram();

  if (!command_line::TrimBlanks(command_tail).empty()) {
    os::UseCallersConsole();
    window::MainWindowView no_window(os::kNoWindow);
    engine::SystemClock clock;
    return command_line::RunCommandLine(command_tail, no_window, clock);
  }
  if (virtual_machine) {
    os::ShowMessageBox(kVirtualMachineWarning, text::kProgramCaption, kWarningStyle);
  }
  window::BuildMainWindow(virtual_machine);
  return command_line::kExitClean;
}

}  // namespace kelvor::app
