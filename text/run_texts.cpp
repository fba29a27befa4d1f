#include "text/run_texts.h"

#include "text/number_text.h"

namespace kelvor::text {
namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kSecondsPerHour = 3600.0;

}  // namespace

std::string RateText(float bytes_per_second) {
  return "Rate: " + NumberText(RoundToDecimals(bytes_per_second / kBytesPerMegabyte, 2)) +
         " MB/sec.";
}

std::string TimeRemainingText(float seconds) {
  // Not-a-number fails both comparisons and so is shown in hours.
  if (seconds < kSecondsPerMinute) return NumberText(RoundToDecimals(seconds, 1)) + " sec.";
  if (seconds < kSecondsPerHour) {
    return NumberText(RoundToDecimals(seconds / kSecondsPerMinute, 1)) + " min.";
  }
  return NumberText(RoundToDecimals(seconds / kSecondsPerHour, 1)) + " hrs.";
}

std::string GigabyteStatusText(float bytes_per_second, const std::string& time_remaining) {
  return RateText(bytes_per_second) + " Est Time Remaining: " + time_remaining;
}

std::string ErrorReportText(files::ErrorNumber number) {
  return "An Error occured: " + NumberText(number) + " - " + files::ErrorMessage(number) + ".";
}

}  // namespace kelvor::text
