// Files opened under small numbers in one of four modes. Every failure is
// recorded in the caller's error state; nothing is shown and nothing retried.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "files/error_state.h"

namespace kelvor::files {

using FileNumber = std::int16_t;

enum class FileMode {
  // Bytes written from the first one, to a file made new: a file, link or
  // anything else already in its place is refused, never written through.
  kNewBinary,
  // Bytes read from the first one, of an existing file that others may read
  // meanwhile; it is never created or written.
  kReadBinary,
  kOutput,  // write, emptied on open
  kInput,   // read an existing file line by line
};

void OpenFile(ErrorState& state, std::string_view name, FileMode mode, FileNumber number);
void CloseFile(ErrorState& state, FileNumber number);
// Closes every open file, most recently opened first, and records the error of
// the first one that failed.
void CloseAllFiles(ErrorState& state);

// Length of a disk file; 0 for other devices.
std::uint64_t FileLength(ErrorState& state, FileNumber number);

// One read (kReadBinary) of up to `count` bytes into `into`, or one write
// (kNewBinary) of the whole string, at the current position. Both return how
// many bytes they moved, a write also when it failed; a read stops at the end
// of the file without an error.
std::size_t ReadBytes(ErrorState& state, FileNumber number, char* into, std::size_t count);
std::size_t WriteBytes(ErrorState& state, FileNumber number, std::string_view bytes);
// The same as one write of `count` bytes that all have the value that fills
// `slice`: the slice serves as often as it takes.
std::size_t WriteRepeatedBytes(ErrorState& state, FileNumber number, std::string_view slice,
                               std::size_t count);

// For tests that stand in for a disk the machine does not have (one that
// refuses a write that does not fit whole): asked before every write to a fill file
// with its byte count, it returns the Windows error code that refuses the
// write, or kSuccess to let it through. An empty function removes it.
using WriteFault = std::function<os::WinError(std::size_t count)>;
void SetWriteFault(WriteFault fault);

// Any mode: sends what was written to the device before the file is closed, so
// that data never stays only in the cache.
void FlushFile(ErrorState& state, FileNumber number);
// The same in two steps, so that the program writes on while the device
// works: StartFlush begins sending what the file holds so far (nothing when a
// flush is under way already), FinishFlush waits for it and records a
// failure. Closing a file, or flushing it whole, finishes a flush first.
void StartFlush(FileNumber number);
void FinishFlush(ErrorState& state, FileNumber number);

// Output mode: a short write is a full disk (61), or 57 for other devices.
void WriteText(ErrorState& state, FileNumber number, std::string_view text);
void WriteLineEnd(ErrorState& state, FileNumber number);

// Input mode: a line ends at CR (with an LF after it), at a Ctrl-Z, which is
// left unread, or at the end of the data. Reading past the end records 62.
std::string ReadLine(ErrorState& state, FileNumber number);

}  // namespace kelvor::files
