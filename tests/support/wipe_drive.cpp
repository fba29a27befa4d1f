// Test tool: one wipe run of a drive, as the command line will do it, with
// error reports printed instead of shown. Usage: wipe_drive LETTER WIPE_TYPE
// Exit code: the number of error reports (0 = a clean run), 2 = bad usage.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/wipe_run.h"
#include "ui/main_window_view.h"

namespace {

class PrintingView : public kelvor::ui::MainWindowView {
 public:
  PrintingView() : MainWindowView(kelvor::os::kNoWindow) {}
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t) override {
    std::printf("%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                static_cast<int>(text.size()), text.data());
    ++reports;
  }
  int reports = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: wipe_drive LETTER WIPE_TYPE\n");
    return 2;
  }
  PrintingView view;
  kelvor::engine::SystemClock clock;
  kelvor::engine::RunWipe(argv[1], std::atoi(argv[2]), view, clock);
  return view.reports;
}
