#include "command_line/run_summary.h"

#include "record/run_record.h"
#include "text/number_text.h"

namespace kelvor::command_line {

std::string Rounded(double value, int decimals) {
  std::string number = text::NumberText(text::RoundToDecimals(value, decimals));
  // The report texts' " .5" reads as 0.5 here, after its sign's place.
  if (number.size() > 1 && number[1] == '.') number.insert(1, "0");
  return number;
}

std::string ReadBackSentence(const engine::ReadBack& read_back) {
  if (!read_back.done) return {};
  const char* how = read_back.mode == engine::VerifyMode::kFull ? "every byte" : "a sample";
  const char* where = read_back.path == os::ReadBackPath::kDirect   ? "from the device"
                      : read_back.path == os::ReadBackPath::kMemory ? "from memory"
                                                                    : "through the cache";
  std::string found = read_back.mismatched_bytes == 0
                          ? std::string(" as written")
                          : Rounded(read_back.mismatched_bytes / text::kBytesPerMegabyte, 1) +
                                " MB did not read back as written";
  return "Read back" + Rounded(read_back.bytes_verified / text::kBytesPerMegabyte, 1) + " MB (" +
         how + ", " + where + "):" + found + ".";
}

std::string TrimSentence(const engine::Trim& trim) {
  if (!trim.asked) return {};
  if (trim.refusal == os::kSuccess) {
    return "Trimmed" + Rounded(trim.bytes / text::kBytesPerMegabyte, 1) +
           " MB: the device was told which blocks are unused.";
  }
  if (trim.refusal == os::kAccessDenied) {
    return "Not trimmed: only root may tell the device which blocks are unused (fstrim does).";
  }
  return {};
}

std::string SummaryLine(std::string_view drive_root, const engine::RunOutcome& outcome) {
  std::string written =
      outcome.bytes_written == 0
          ? std::string(" nothing")
          : Rounded(static_cast<double>(outcome.bytes_written) / text::kBytesPerGigabyte, 2) +
                " GB";
  std::string line = std::string(drive_root) + " wrote" + written + ".";
  for (const std::string& sentence :
       {ReadBackSentence(outcome.read_back), TrimSentence(outcome.trim)}) {
    if (!sentence.empty()) line += " " + sentence;
  }
  return line + " Result: " + record::ResultName(&outcome) + ".";
}

}  // namespace kelvor::command_line
