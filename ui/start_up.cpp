#include "ui/start_up.h"

#include <cctype>

#include "drives/drive_lines.h"
#include "drives/drive_list.h"
#include "engine/cleanup.h"
#include "engine/program_state.h"
#include "engine/wipe_run.h"
#include "files/file_access.h"
#include "platform/os_window.h"
#include "probes/registry_reader.h"
#include "probes/vm_probe.h"
#include "ui/command_line.h"
#include "ui/main_window.h"
#include "ui/main_window_view.h"

namespace kelvor::ui {
namespace {

// Passes everything on to the window the run would have, and counts the
// error reports, which decide the exit code.
class ReportCounter : public engine::RunWindow {
 public:
  explicit ReportCounter(engine::RunWindow& window) : window_(window) {}
  void SetStatus(std::string_view text) override { window_.SetStatus(text); }
  void SetProgressRange(std::int32_t maximum) override { window_.SetProgressRange(maximum); }
  void SetProgressStep(std::int32_t step) override { window_.SetProgressStep(step); }
  void StepProgress() override { window_.StepProgress(); }
  void SetProgressPosition(std::int32_t position) override {
    window_.SetProgressPosition(position);
  }
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override {
    ++reports;
    window_.ShowMessage(text, caption, style);
  }
  void PumpStep() override { window_.PumpStep(); }
  int reports = 0;

 private:
  engine::RunWindow& window_;
};

}  // namespace

int RunCommandLine(const std::string& command_tail, engine::RunWindow& window,
                   engine::Clock& clock) {
  char letter = RequestedDriveLetter(Argument(command_tail, 1));
  std::int16_t count = 0;
  std::string text = drives::BuildDriveList(count);
  bool found = false;
  for (const std::string& line : drives::DriveListLines(text, count)) {
    char first =
        line.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
    if (letter != 0 && first == letter) found = true;
  }
  if (!found) return kExitDriveNotListed;

  ReportCounter counter(window);
  engine::RunWipe(std::string(1, letter), WipeTypeFromOptions(command_tail), counter, clock);
  files::ErrorState ignored;
  files::CloseAllFiles(ignored);
  return counter.reports > 0 ? kExitReported : kExitClean;
}

void PrepareProgram() {
  engine::ProgramState& program = engine::Program();
  os::InitControlLibrary();
  program.pause_flag = 0;
  program.vm_flag = probes::IsVirtualMachine();
  probes::InitRegistryReader();
}

int StartProgram(const std::string& command_tail) {
  PrepareProgram();

  if (!TrimBlanks(command_tail).empty()) {
    MainWindowView no_window(os::kNoWindow);
    engine::SystemClock clock;
    return RunCommandLine(command_tail, no_window, clock);
  }
  if (engine::Program().vm_flag == 1) {
    os::ShowMessageBox(kVirtualMachineWarning, engine::kProgramCaption, kWarningStyle);
  }
  BuildMainWindow();
  return kExitClean;
}

}  // namespace kelvor::ui
