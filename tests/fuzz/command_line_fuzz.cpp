// Fuzzing the command-tail rules with any bytes as a command line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "command_line/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  std::string tail = kelvor::command_line::CommandTail(line);
  if (tail.size() > line.size()) std::abort();
  for (int n = 1; n <= 3; ++n) {
    std::string argument = kelvor::command_line::Argument(tail, n);
    if (argument.size() > tail.size()) std::abort();
    char letter = kelvor::command_line::RequestedDriveLetter(argument);
    if (letter >= 'a' && letter <= 'z') std::abort();  // always upper-cased
  }
  kelvor::engine::WipeType type = kelvor::command_line::WipeTypeFromOptions(tail);
  if (type < kelvor::engine::kAllOnes || type > kelvor::engine::kBinaryBlocks) std::abort();
  std::string_view trimmed = kelvor::command_line::TrimBlanks(tail);
  if (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.back() == ' ')) std::abort();
  return 0;
}
