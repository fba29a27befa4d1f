#include "drives/drive_lines.h"

#include <optional>

#include "files/file_access.h"
#include "files/folders.h"

namespace kelvor::drives {
namespace {

constexpr files::FileNumber kProbeFileNumber = 1;

std::vector<std::string> SplitInMemory(const std::string& text, std::int16_t count) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::int16_t i = 0; i < count; ++i) {
    std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

// The round trip through the probe file; nothing when any step failed.
std::optional<std::vector<std::string>> ReadBackThroughProbeFile(const std::string& text,
                                                                 std::int16_t count) {
  using files::FileMode;
  files::ErrorState state;
  files::OpenFile(state, kProbeFileName, FileMode::kOutput, kProbeFileNumber);
  files::WriteText(state, kProbeFileNumber, text);
  files::WriteLineEnd(state, kProbeFileNumber);
  files::CloseFile(state, kProbeFileNumber);

  std::vector<std::string> lines;
  if (count > 0) {
    files::OpenFile(state, kProbeFileName, FileMode::kInput, kProbeFileNumber);
    for (std::int16_t i = 0; i < count; ++i)
      lines.push_back(files::ReadLine(state, kProbeFileNumber));
    files::CloseFile(state, kProbeFileNumber);
  }
  if (state.Number() != files::kNoError) return std::nullopt;
  return lines;
}

}  // namespace

std::vector<std::string> DriveListLines(const std::string& text, std::int16_t count) {
  if (files::IsExistingFile(kProbeFileName)) return SplitInMemory(text, count);
  std::optional<std::vector<std::string>> lines = ReadBackThroughProbeFile(text, count);
  files::ErrorState ignored;
  files::DeleteFiles(ignored, kProbeFileName);
  return lines ? *lines : SplitInMemory(text, count);
}

}  // namespace kelvor::drives
