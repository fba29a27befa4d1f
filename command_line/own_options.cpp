#include "command_line/own_options.h"

#include "command_line/command_line.h"

namespace kelvor::command_line {
namespace {

constexpr std::string_view kVerifyOption = "--verify=";
constexpr std::string_view kRecordOption = "--record=";
constexpr std::string_view kNoTrimOption = "--no-trim";
constexpr std::string_view kCheckOption = "--check";

struct NamedMode {
  std::string_view name;
  engine::VerifyMode mode;
};
constexpr NamedMode kVerifyModes[] = {{"sample", engine::VerifyMode::kSample},
                                      {"full", engine::VerifyMode::kFull},
                                      {"off", engine::VerifyMode::kOff}};

}  // namespace

bool TakeOwnOption(std::string_view word, OwnOptions* options) {
  if (word == kNoTrimOption) {
    options->trim = false;
    return true;
  }
  if (word == kCheckOption) {
    options->check = true;
    return true;
  }
  if (word.starts_with(kRecordOption)) {
    options->record_path = word.substr(kRecordOption.size());
    if (options->record_path.empty() && options->refused.empty()) options->refused = word;
    return true;
  }
  if (!word.starts_with(kVerifyOption)) return false;
  std::string_view value = word.substr(kVerifyOption.size());
  for (const NamedMode& named : kVerifyModes) {
    if (value == named.name) {
      options->verify = named.mode;
      return true;
    }
  }
  if (options->refused.empty()) options->refused = word;
  return true;
}

OwnOptions TakeOwnOptions(std::string_view tail, std::string* wipe_tail) {
  OwnOptions options;
  *wipe_tail = tail;
  for (int n = 2;; ++n) {
    std::string word = Argument(tail, n);
    if (word.empty()) break;
    if (!word.starts_with(kOwnOptionStart) || !TakeOwnOption(word, &options)) continue;
    if (std::size_t at = wipe_tail->find(word); at != std::string::npos) {
      wipe_tail->erase(at, word.size());
    }
  }
  return options;
}

}  // namespace kelvor::command_line
