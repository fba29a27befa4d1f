#include "record/run_record.h"

#include <cstdio>
#include <ctime>

#include "files/error_numbers.h"
#include "platform/os_drives.h"
#include "platform/os_volume.h"
#include "record/json_text.h"

namespace kelvor::record {
namespace {

constexpr int kRecordVersion = 1;
constexpr const char* kUnknown = "unknown";

const char* WipeTypeName(engine::WipeType type) {
  switch (type) {
    case engine::kAllZeros:
      return "All 0's";
    case engine::kBinaryBlocks:
      return "Blocks of Binary Data";
    default:
      return "All 1's";
  }
}

const char* ModeName(engine::VerifyMode mode) {
  switch (mode) {
    case engine::VerifyMode::kFull:
      return "full";
    case engine::VerifyMode::kOff:
      return "off";
    case engine::VerifyMode::kSample:
      break;
  }
  return "sample";
}

const char* PathName(const engine::ReadBack& read_back) {
  if (!read_back.done) return "none";
  switch (read_back.path) {
    case os::ReadBackPath::kThroughCache:
      return "through-cache";
    case os::ReadBackPath::kMemory:
      return "memory";
    case os::ReadBackPath::kDirect:
      break;
  }
  return "direct";
}

const char* KindName(os::MediumKind kind) {
  switch (kind) {
    case os::MediumKind::kRotational:
      return "rotational";
    case os::MediumKind::kSolidState:
      return "solid state";
    case os::MediumKind::kUnknown:
      break;
  }
  return kUnknown;
}

// "2026-12-08T04:31:07Z": the civil date from days since 1970 (H. Hinnant's
// algorithm), which needs no time zone of the C library.
std::string UtcText(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  auto seconds = duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
  long long days = seconds / 86400, of_day = seconds % 86400;
  if (of_day < 0) of_day += 86400, --days;
  days += 719468;
  long long era = (days >= 0 ? days : days - 146096) / 146097;
  long long day_of_era = days - era * 146097;
  long long year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  long long day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  long long month_index = (5 * day_of_year + 2) / 153;
  long long day = day_of_year - (153 * month_index + 2) / 5 + 1;
  long long month = month_index < 10 ? month_index + 3 : month_index - 9;
  long long year = year_of_era + era * 400 + (month <= 2);
  char text[32];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", year, month, day,
                of_day / 3600, of_day / 60 % 60, of_day % 60);
  return text;
}

std::vector<std::string> Warnings(const engine::RunOutcome& outcome) {
  std::vector<std::string> warnings;
  const engine::ReadBack& read_back = outcome.read_back;
  if (read_back.mode == engine::VerifyMode::kOff) {
    warnings.push_back("Nothing was read back (--verify=off).");
  } else if (read_back.done && read_back.path == os::ReadBackPath::kThroughCache) {
    warnings.push_back(
        "The fill files were read back through the system's cache, not from the device: the "
        "verification shows what the system holds.");
  } else if (read_back.done && read_back.path == os::ReadBackPath::kMemory) {
    warnings.push_back("The volume lives in memory: there was no device to read back from.");
  }
  if (read_back.files_not_verifiable > 0) {
    warnings.push_back(
        "The pattern file changed during the run: the first fill file could not be verified.");
  }
  if (outcome.trim.asked && outcome.trim.refusal == os::kAccessDenied) {
    warnings.push_back(
        "The device was not told which blocks are free (that needs root's rights): flash may "
        "keep old data in them until it reuses them.");
  }
  if (read_back.stored_short) {
    warnings.push_back("The volume stored the fill in " + std::to_string(read_back.bytes_stored) +
                       " bytes where " + std::to_string(outcome.bytes_written) +
                       " were written: it compresses or deduplicates, and old data may lie "
                       "beside the fill.");
  }
  return warnings;
}

std::string TextArray(const std::vector<std::string>& texts, int depth) {
  std::vector<std::string> values;
  for (const std::string& text : texts) values.push_back(JsonString(text));
  return JsonArray(values, depth);
}

}  // namespace

const char* ResultName(const engine::RunOutcome* outcome) {
  if (!outcome) return "cancelled";
  if (!outcome->reports.empty()) return "failed";
  const engine::ReadBack& read_back = outcome->read_back;
  bool all_as_written = read_back.mismatched_bytes == 0 && read_back.files_not_verifiable == 0;
  return read_back.done && all_as_written ? "verified" : "written-unverified";
}

RunRecord::RunRecord(engine::RunWindow& view, RecordSubject subject, os::NativeName path)
    : view_(view), subject_(std::move(subject)), path_(std::move(path)) {}

void RunRecord::OnStage(engine::Stage stage) {
  if (stage == engine::Stage::kRecords) records_filled_ = true;
  view_.OnStage(stage);
}

void RunRecord::OnStarted(const engine::RunStart& start) {
  free_before_ = start.free_bytes;
  view_.OnStarted(start);
}

void RunRecord::OnChunkWritten(const engine::ChunkWritten& chunk) {
  bytes_in_chunks_ += chunk.bytes;
  view_.OnChunkWritten(chunk);
}

void RunRecord::OnError(files::Status report) {
  reports_.push_back(report);
  view_.OnError(report);
}

std::string RunRecord::Text(int exit_code, const engine::RunOutcome* outcome) const {
  engine::RunOutcome stopped;  // what an interrupted run is known to have done
  if (!outcome) {
    stopped.bytes_written = bytes_in_chunks_;
    stopped.reports = reports_;
    stopped.read_back.mode = subject_.verify_mode;
    os::DriveHold nothing_held;
    os::QueryFreeBytes(nothing_held, subject_.drive_root, &stopped.free_bytes_after);
  }
  const engine::RunOutcome& ended = outcome ? *outcome : stopped;
  const engine::ReadBack& read_back = ended.read_back;
  os::VolumeFacts volume_facts = os::QueryVolumeFacts(subject_.drive_root);

  JsonObject tool(1);
  tool.AddText("name", "Kelvor").AddText("version", subject_.tool_version);
  JsonObject volume(1);
  volume.AddText("drive", subject_.drive_root)
      .AddText("mount_point", volume_facts.mount_point)
      .AddText("filesystem", volume_facts.filesystem.empty() ? kUnknown : volume_facts.filesystem)
      .AddText("label", volume_facts.label)
      .AddText("serial", volume_facts.serial.empty() ? kUnknown : volume_facts.serial)
      .AddNumber("size_bytes", volume_facts.size_bytes)
      .AddNumber("free_bytes_before", free_before_)
      .AddNumber("free_bytes_after", ended.free_bytes_after);
  os::MediumFacts medium_facts = os::QueryMediumFacts(subject_.drive_root);
  JsonObject medium(1);
  medium.AddText("device", medium_facts.device)
      .AddText("model", medium_facts.model.empty() ? kUnknown : medium_facts.model)
      .AddText("serial", medium_facts.serial.empty() ? kUnknown : medium_facts.serial)
      .AddText("kind", KindName(medium_facts.kind));
  JsonObject sanitization(1);
  sanitization.AddText("method", "Clear")
      .AddText("technique", "overwrite")
      .AddText("scope", "free space of one volume")
      .AddText("pattern", WipeTypeName(subject_.wipe_type))
      .AddNumber("passes", 1)
      .AddBool("record_fill", records_filled_);
  JsonObject bytes(1);
  bytes.AddNumber("written", ended.bytes_written)
      .AddNumber("stored", read_back.bytes_stored)
      .AddNumber("verified", read_back.bytes_verified);
  std::vector<std::string> mismatches;
  for (const engine::Mismatch& mismatch : read_back.mismatches) {
    JsonObject range(3);
    range.AddText("file", mismatch.file)
        .AddNumber("offset", mismatch.offset)
        .AddNumber("length", mismatch.length);
    mismatches.push_back(range.Text());
  }
  JsonObject verification(1);
  verification.AddText("mode", ModeName(subject_.verify_mode))
      .AddBool("done", read_back.done)
      .AddText("path", PathName(read_back))
      .AddSeconds("seconds", read_back.seconds)
      .AddNumber("mismatched_bytes", read_back.mismatched_bytes)
      .AddJson("mismatches", JsonArray(mismatches, 2))
      .AddInteger("files_not_verifiable", read_back.files_not_verifiable);
  JsonObject trim(1);
  trim.AddBool("asked", ended.trim.asked)
      .AddBool("done", ended.trim.asked && ended.trim.refusal == os::kSuccess)
      .AddNumber("bytes", ended.trim.bytes);
  std::vector<std::string> errors;
  for (const files::Status& report : ended.reports) {
    JsonObject error(2);
    error.AddNumber("number", report.number).AddText("text", files::ErrorMessage(report.number));
    errors.push_back(error.Text());
  }

  std::vector<std::string> warnings = subject_.findings;
  for (std::string& warning : Warnings(ended)) warnings.push_back(std::move(warning));

  JsonObject record;
  record.AddInteger("record_version", kRecordVersion)
      .AddJson("tool", tool.Text())
      .AddText("host", os::HostName())
      .AddText("started", UtcText(started_))
      .AddText("ended", UtcText(std::chrono::system_clock::now()))
      .AddJson("volume", volume.Text())
      .AddJson("medium", medium.Text())
      .AddJson("sanitization", sanitization.Text())
      .AddJson("bytes", bytes.Text())
      .AddJson("verification", verification.Text())
      .AddJson("trim", trim.Text())
      .AddJson("files_left", TextArray(ended.files_left, 1))
      .AddJson("errors", JsonArray(errors, 1))
      .AddJson("warnings", TextArray(warnings, 1))
      .AddText("result", ResultName(outcome))
      .AddInteger("exit_code", exit_code);
  return record.Text() + "\n";
}

os::WinError RunRecord::Write(int exit_code, const engine::RunOutcome* outcome) const {
  return os::WriteWholeFile(path_, Text(exit_code, outcome));
}

}  // namespace kelvor::record
