#include "command_line/posix_arguments.h"

#include <string_view>
#include <utility>

#include "command_line/command_line.h"

namespace kelvor::command_line {
namespace {

constexpr std::string_view kEndOfOptions = "--";

// The Windows program's options, by their own spelling and by name.
constexpr std::pair<std::string_view, std::string_view> kWipeOptions[] = {
    {"/B", "/B"}, {"/0", "/0"}, {"--ones", ""}, {"--zeros", "/B"}, {"--blocks", "/0"}};

struct Flag {
  char letter;
  std::string_view name;
};
constexpr Flag kHelp = {'h', "--help"}, kVersion = {'V', "--version"}, kQuiet = {'q', "--quiet"};
constexpr std::string_view kYes = "--yes";

bool Is(const Flag& flag, std::string_view word) {
  return word == flag.name || word == std::string{'-', flag.letter};
}

// Takes one option; false when `word` is none.
bool TakeOption(std::string_view word, Request* request, std::string* wipe_options) {
  for (auto [spelling, windows] : kWipeOptions) {
    if (word == spelling) {
      *wipe_options += std::string(windows) + ' ';
      return true;
    }
  }
  if (Is(kHelp, word)) {
    request->action = Action::kListDrives;
  } else if (Is(kVersion, word)) {
    if (request->action == Action::kWipe) request->action = Action::kShowVersion;
  } else if (Is(kQuiet, word)) {
    request->quiet = true;
  } else if (word == kYes) {
    request->confirmed = true;
  } else {
    return word.starts_with(kOwnOptionStart) && TakeOwnOption(word, &request->own);
  }
  return true;
}

// A word meant as an option: "-x", "--x", and "/x" as the Windows program's
// options are spelt (no mount point has a name that short).
bool IsOptionLike(std::string_view word) {
  return (word.size() > 1 && word[0] == '-') || (word.size() == 2 && word[0] == '/');
}

}  // namespace

Request ReadArguments(const std::vector<std::string>& words) {
  Request request;
  std::string wipe_options;
  bool options_ended = false;
  for (const std::string& word : words) {
    if (!options_ended && word == kEndOfOptions) {
      options_ended = true;
    } else if (!options_ended && TakeOption(word, &request, &wipe_options)) {
      continue;
    } else if (!options_ended && IsOptionLike(word)) {
      if (request.error.empty()) request.error = "unknown option " + word;
    } else if (request.drive.empty()) {
      request.drive = word;
    } else if (request.error.empty()) {
      request.error = "one drive only: " + word + " is one too many";
    }
  }
  if (words.empty()) request.action = Action::kListDrives;
  if (request.action != Action::kWipe) return request;
  if (request.error.empty() && !request.own.refused.empty()) {
    request.error = request.own.refused + ": --verify takes sample, full or off; --record a file";
  }
  if (request.error.empty() && request.drive.empty()) request.error = "no drive named";
  request.wipe_type = WipeTypeFromOptions(wipe_options);
  return request;
}

}  // namespace kelvor::command_line
