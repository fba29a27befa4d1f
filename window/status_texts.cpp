#include "window/status_texts.h"

#include "text/number_text.h"
#include "text/run_texts.h"

namespace kelvor::window {

std::optional<std::string> StageText(engine::Stage stage) {
  switch (stage) {
    case engine::Stage::kStarting:
      return text::kStartingText;
    case engine::Stage::kRecords:
      return text::kRecordFillText;
    case engine::Stage::kVerifying:
      return text::kVerifyingText;
    case engine::Stage::kDeleting:
      return text::kDeletingText;
    case engine::Stage::kGigabyteParts:
      break;
  }
  return std::nullopt;
}

std::string ChunkText(const engine::ChunkWritten& chunk) {
  if (chunk.part == 0) return text::RateText(chunk.rate);
  // Only the parts after this one count: the estimate reaches 0 in the last.
  auto remaining = static_cast<float>((chunk.parts - chunk.part) *
                                      static_cast<double>(text::kBytesPerGigabyte) / chunk.rate);
  return text::GigabyteStatusText(chunk.rate, text::TimeRemainingText(remaining));
}

}  // namespace kelvor::window
