// The POSIX program's entry: the arguments become a command tail as Windows
// would give it, quoting those that hold blanks.
#include <string>

#include "ui/start_up.h"

int main(int argc, char** argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (!tail.empty()) tail += ' ';
    tail += argument.find(' ') == std::string::npos ? argument : '"' + argument + '"';
  }
  return kelvor::ui::StartProgram(tail);
}
