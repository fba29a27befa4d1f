// The file-access layer: files opened under small numbers in one of four
// modes, and the folder operations, on the drive a run holds. Every failure
// is returned as a status; nothing is shown and nothing retried.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>

#include "files/status.h"
#include "platform/os_files.h"

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

// Stands in for a disk the machine does not have (one that refuses a write
// that does not fit whole): asked before every write to a fill file with its
// byte count, it returns the Windows error code that refuses the write, or
// kSuccess to let it through.
using WriteFault = std::function<os::WinError(std::size_t count)>;

class FileAccess {
 public:
  // Names on the drive that `drive` holds go to its volume; others are
  // resolved when they are used.
  explicit FileAccess(os::DriveHold& drive, WriteFault write_fault = {});
  ~FileAccess();  // closes what is still open
  FileAccess(const FileAccess&) = delete;
  FileAccess& operator=(const FileAccess&) = delete;

  Status OpenFile(std::string_view name, FileMode mode, FileNumber number);
  Status CloseFile(FileNumber number);
  // Closes every open file, most recently opened first; the status of the
  // first one that failed.
  Status CloseAllFiles();

  // Length of a disk file; 0 for other devices.
  Status FileLength(FileNumber number, std::uint64_t* length);

  // One read (kReadBinary) of up to `count` bytes into `into`, or one write
  // (kNewBinary) of the whole string, at the current position. Both give how
  // many bytes they moved, a write also when it failed; a read stops at the
  // end of the file without an error.
  Status ReadBytes(FileNumber number, char* into, std::size_t count, std::size_t* read);
  Status WriteBytes(FileNumber number, std::string_view bytes, std::size_t* written);
  // The same as one write of `count` bytes that all have the value that
  // fills `slice`: the slice serves as often as it takes.
  Status WriteRepeatedBytes(FileNumber number, std::string_view slice, std::size_t count,
                            std::size_t* written);

  // Any mode: sends what was written to the device before the file is
  // closed, so that data never stays only in the cache.
  Status FlushFile(FileNumber number);
  // The same in two steps, so that the program writes on while the device
  // works: StartFlush begins sending what the file holds so far (nothing
  // when a flush is under way already), FinishFlush waits for it. Closing a
  // file, or flushing it whole, finishes a flush first.
  void StartFlush(FileNumber number);
  Status FinishFlush(FileNumber number);
  // Whether FinishFlush would return at once: no flush is under way, or the
  // one under way has ended.
  bool FlushFinished(FileNumber number);

  // Output mode: a short write is a full disk (61), or 57 for other devices.
  Status WriteText(FileNumber number, std::string_view text);
  Status WriteLineEnd(FileNumber number);

  // Input mode: a line ends at CR (with an LF after it), at a Ctrl-Z, which
  // is left unread, or at the end of the data. Reading past the end is 62.
  Status ReadLine(FileNumber number, std::string* line);

  // Deletes the files matching a pattern such as "D:\~KelvorTemp\Kelvor*.dat".
  // Hidden and system files, volume labels and folders are skipped. A
  // pattern that matches nothing is 53; a failed deletion is returned after
  // every other match has been deleted.
  Status DeleteFiles(std::string_view pattern);
  Status MakeFolder(std::string_view path);
  // A missing folder is 76, a folder that is not empty 75.
  Status RemoveFolder(std::string_view path);
  // True for an existing file (hidden ones too), false for folders and
  // everything else.
  bool IsExistingFile(std::string_view path);

  os::DriveHold& drive() { return drive_; }

 private:
  struct OpenFileRecord;
  OpenFileRecord* Find(FileNumber number);
  Status FileInMode(FileNumber number, FileMode mode, OpenFileRecord** file);
  Status AnyOpenFile(FileNumber number, OpenFileRecord** file);
  template <typename Write>
  Status WriteToFillFile(FileNumber number, std::size_t count, std::size_t* written, Write write);

  os::DriveHold& drive_;
  WriteFault write_fault_;
  std::list<OpenFileRecord> open_;  // most recently opened first
};

}  // namespace kelvor::files
