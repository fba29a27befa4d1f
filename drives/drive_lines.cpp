#include "drives/drive_lines.h"

#include <cctype>
#include <optional>

#include "files/file_access.h"

namespace kelvor::drives {
namespace {

constexpr files::FileNumber kProbeFileNumber = 1;
constexpr std::string_view kLineEnd = "\r\n";

std::vector<std::string> SplitInMemory(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; start < text.size(); start = end + kLineEnd.size()) {
    end = text.find(kLineEnd, start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The round trip through the probe file; nothing when any step failed.
std::optional<std::vector<std::string>> ReadBackThroughProbeFile(files::FileAccess& files,
                                                                 const std::string& text,
                                                                 std::size_t count) {
  using files::FileMode;
  bool failed = files.OpenFile(kProbeFileName, FileMode::kOutput, kProbeFileNumber).failed();
  failed |= files.WriteText(kProbeFileNumber, text).failed();
  failed |= files.WriteLineEnd(kProbeFileNumber).failed();
  failed |= files.CloseFile(kProbeFileNumber).failed();

  std::vector<std::string> lines(count);
  if (count > 0) {
    failed |= files.OpenFile(kProbeFileName, FileMode::kInput, kProbeFileNumber).failed();
    for (std::string& line : lines) failed |= files.ReadLine(kProbeFileNumber, &line).failed();
    failed |= files.CloseFile(kProbeFileNumber).failed();
  }
  if (failed) return std::nullopt;
  return lines;
}

}  // namespace

std::vector<std::string> DriveListLines(const DriveList& drives) {
  std::string text = DriveListText(drives);
  os::DriveHold nothing_held;
  files::FileAccess files(nothing_held);
  if (files.IsExistingFile(kProbeFileName)) return SplitInMemory(text);
  std::optional<std::vector<std::string>> lines =
      ReadBackThroughProbeFile(files, text, drives.size());
  (void)files.DeleteFiles(kProbeFileName);
  return lines ? *lines : SplitInMemory(text);
}

bool IsListedLetter(const std::vector<std::string>& lines, char letter) {
  for (const std::string& line : lines) {
    char first =
        line.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
    if (letter != 0 && first == letter) return true;
  }
  return false;
}

}  // namespace kelvor::drives
