#include "command_line/run_summary.h"

#include <gtest/gtest.h>

#include "files/status.h"

namespace kelvor::command_line {
namespace {

constexpr std::uint64_t kMebibyte = 1 << 20;
constexpr std::uint64_t kGigabyte = 1 << 30;

engine::RunOutcome ReadBackOf(engine::VerifyMode mode, os::ReadBackPath path,
                              std::uint64_t verified, std::uint64_t mismatched) {
  engine::RunOutcome outcome;
  outcome.bytes_written = 3 * kGigabyte / 2;
  outcome.read_back.mode = mode;
  outcome.read_back.done = mode != engine::VerifyMode::kOff;
  outcome.read_back.path = path;
  outcome.read_back.bytes_verified = verified;
  outcome.read_back.mismatched_bytes = mismatched;
  return outcome;
}

// The summary says what was written, how it was read back and what that
// found, and ends with the result the record gives.
TEST(RunSummary, OneLineSaysWhatWasWrittenWhatReadingBackFoundAndTheResult) {
  EXPECT_EQ(SummaryLine("D:", ReadBackOf(engine::VerifyMode::kSample, os::ReadBackPath::kDirect,
                                         31 * kMebibyte / 2, 0)),
            "D: wrote 1.5 GB. Read back 15.5 MB (a sample, from the device): as written. "
            "Result: verified.");
  engine::RunOutcome mismatched = ReadBackOf(
      engine::VerifyMode::kFull, os::ReadBackPath::kThroughCache, 3 * kGigabyte / 2, 2 * kMebibyte);
  mismatched.reports.push_back(files::Failure(72));
  EXPECT_EQ(SummaryLine("E:", mismatched),
            "E: wrote 1.5 GB. Read back 1536 MB (every byte, through the cache): 2 MB did not "
            "read back as written. Result: failed.");
  EXPECT_EQ(
      SummaryLine("F:", ReadBackOf(engine::VerifyMode::kOff, os::ReadBackPath::kDirect, 0, 0)),
      "F: wrote 1.5 GB. Result: written-unverified.");
  engine::RunOutcome small = ReadBackOf(engine::VerifyMode::kOff, os::ReadBackPath::kDirect, 0, 0);
  small.bytes_written = kGigabyte / 5;
  EXPECT_EQ(SummaryLine("F:", small), "F: wrote 0.2 GB. Result: written-unverified.");
  small.bytes_written = 0;
  EXPECT_EQ(SummaryLine("F:", small), "F: wrote nothing. Result: written-unverified.");
  engine::RunOutcome from_memory =
      ReadBackOf(engine::VerifyMode::kSample, os::ReadBackPath::kMemory, kMebibyte, 0);
  from_memory.read_back.files_not_verifiable = 1;
  EXPECT_EQ(SummaryLine("G:", from_memory),
            "G: wrote 1.5 GB. Read back 1 MB (a sample, from memory): as written. "
            "Result: written-unverified.");
}

}  // namespace
}  // namespace kelvor::command_line
