// The texts a user sees of a run: the status line's texts, the rate and the
// time remaining, and the error report.
#pragma once

#include <cstdint>
#include <string>

#include "files/error_numbers.h"

namespace kelvor::text {

inline constexpr const char* kProgramCaption = "Kelvor";
inline constexpr const char* kStartingText = "Starting up ...";
inline constexpr const char* kPausedText =
    "Paused. Select Resume to continue, or Cancel to end ...";
inline constexpr const char* kRecordFillText = "Overwriting free file records ...";
inline constexpr const char* kVerifyingText = "Verifying what was written ...";
inline constexpr const char* kDeletingText =
    "Deleting temporary files. This may take several minutes ...";
inline constexpr std::uint32_t kErrorReportStyle =
    0x12000;  // MB_OK | MB_SETFOREGROUND | MB_TASKMODAL

// "Rate:  12.5 MB/sec." for a rate in bytes per second.
std::string RateText(float bytes_per_second);

// " 45 sec.", " 1.5 min." or " 2 hrs.", rounded to one decimal in its unit.
std::string TimeRemainingText(float seconds);

// "Rate: ... MB/sec. Est Time Remaining: ..."
std::string GigabyteStatusText(float bytes_per_second, const std::string& time_remaining);

// "An Error occured:  53 - File not found."
std::string ErrorReportText(files::ErrorNumber number);

}  // namespace kelvor::text
