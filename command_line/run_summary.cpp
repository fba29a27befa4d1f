#include "command_line/run_summary.h"

#include "record/run_record.h"
#include "text/number_text.h"

namespace kelvor::command_line {

std::string Rounded(double value, int decimals) {
  return text::NumberText(text::RoundToDecimals(value, decimals));
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

std::string SummaryLine(std::string_view drive_root, const engine::RunOutcome& outcome) {
  std::string written =
      Rounded(static_cast<double>(outcome.bytes_written) / text::kBytesPerGigabyte, 2);
  std::string read_back = ReadBackSentence(outcome.read_back);
  return std::string(drive_root) + " wrote" + written + " GB." +
         (read_back.empty() ? "" : " " + read_back) + " Result: " + record::ResultName(&outcome) +
         ".";
}

}  // namespace kelvor::command_line
