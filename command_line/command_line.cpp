#include "command_line/command_line.h"

#include <cctype>

namespace kelvor::command_line {
namespace {

using files::kBlank;
constexpr char kQuote = '"';

}  // namespace

std::string CommandTail(std::string_view line) {
  std::size_t end;
  if (!line.empty() && line[0] == kQuote) {
    std::size_t closing = line.find(kQuote, 1);
    end = closing == std::string_view::npos ? line.size() : closing + 1;
  } else {
    end = 0;
    while (end < line.size() && static_cast<unsigned char>(line[end]) > kBlank) ++end;
  }
  while (end < line.size() && line[end] == kBlank) ++end;
  return std::string(line.substr(end));
}

std::string Argument(std::string_view tail, int n) {
  std::size_t at = 0;
  int index = 0;
  while (at < tail.size()) {
    if (tail[at] == kBlank) {
      ++at;
      continue;
    }
    std::string item;
    bool empty_quotes = false;
    if (tail[at] == kQuote) {
      std::size_t closing = tail.find(kQuote, at + 1);
      std::size_t stop = closing == std::string_view::npos ? tail.size() : closing;
      item = tail.substr(at + 1, stop - at - 1);
      empty_quotes = closing == at + 1;
      at = closing == std::string_view::npos ? tail.size() : closing + 1;
    } else {
      std::size_t stop = tail.find(kBlank, at);
      if (stop == std::string_view::npos) stop = tail.size();
      item = tail.substr(at, stop - at);
      at = stop;
    }
    if (empty_quotes) continue;
    if (++index == n) return item;
  }
  return {};
}

char RequestedDriveLetter(std::string_view argument) {
  if (argument.empty()) return 0;
  bool quoted = argument.find(kQuote) != std::string_view::npos;
  if (quoted && argument.size() < 2) return 0;
  char letter = quoted ? argument[1] : argument[0];
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

engine::WipeType WipeTypeFromOptions(std::string_view tail) {
  engine::WipeType type = engine::kAllOnes;
  if (tail.find("/0") != std::string_view::npos) type = engine::kBinaryBlocks;
  if (tail.find("/B") != std::string_view::npos) type = engine::kAllZeros;
  return type;
}

}  // namespace kelvor::command_line
