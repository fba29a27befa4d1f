#include "files/file_access.h"

#include <algorithm>
#include <array>

#include "files/names.h"

namespace kelvor::files {
namespace {

constexpr std::size_t kReadAheadSize = 128;
constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;
constexpr char kEndOfText = 26;  // Ctrl-Z
constexpr std::string_view kLineEnd = "\r\n";

struct ModeRequest {
  unsigned access;
  os::Disposition disposition;
  os::Sharing sharing;
};

ModeRequest RequestFor(FileMode mode) {
  switch (mode) {
    case FileMode::kNewBinary:
      return {os::kWriteAccess, os::Disposition::kCreateNew, os::Sharing::kNone};
    case FileMode::kReadBinary:
      return {os::kReadAccess, os::Disposition::kOpenExisting, os::Sharing::kReaders};
    case FileMode::kOutput:
      return {os::kWriteAccess, os::Disposition::kOpenAlways, os::Sharing::kNone};
    case FileMode::kInput:
      break;
  }
  return {os::kReadAccess, os::Disposition::kOpenExisting, os::Sharing::kNone};
}

}  // namespace

struct FileAccess::OpenFileRecord {
  FileNumber number = 0;
  os::FileHandle handle = os::kNoFile;
  bool is_disk = false;
  FileMode mode = FileMode::kNewBinary;
  std::uint64_t position = 0;
  std::array<char, kReadAheadSize> read_ahead{};
  std::size_t read_ahead_count = 0;
  std::size_t read_ahead_next = 0;
  bool flushing = false;  // a flush was started and not yet finished

  os::WinError FinishStartedFlush(os::DriveHold& drive) {
    if (!flushing) return os::kSuccess;
    flushing = false;
    return os::FinishFlush(drive, handle);
  }

  // Positions a freshly opened disk file as its mode says.
  os::WinError Prepare() {
    os::WinError error = os::SetPosition(handle, 0);
    if (error != os::kSuccess) return error;
    if (mode == FileMode::kOutput) return os::TruncateAtPosition(handle);
    if (mode == FileMode::kInput) {
      return os::ReadFromFile(handle, read_ahead.data(), kReadAheadSize, &read_ahead_count);
    }
    return os::kSuccess;
  }

  // The next unread byte of an Input file (or kEndOfData), refilling the
  // read-ahead buffer from the file as needed.
  static constexpr int kEndOfData = -1;
  os::WinError PeekByte(int* byte) {
    if (read_ahead_next == read_ahead_count) {
      read_ahead_count = 0;
      read_ahead_next = 0;
      os::WinError error = os::SetPosition(handle, position);
      if (error == os::kSuccess) {
        error = os::ReadFromFile(handle, read_ahead.data(), kReadAheadSize, &read_ahead_count);
      }
      if (error != os::kSuccess) return error;
      if (read_ahead_count == 0) {
        *byte = kEndOfData;
        return os::kSuccess;
      }
    }
    *byte = static_cast<unsigned char>(read_ahead[read_ahead_next]);
    return os::kSuccess;
  }

  void TakeByte() {
    ++read_ahead_next;
    ++position;
  }
};

FileAccess::FileAccess(os::DriveHold& drive, WriteFault write_fault)
    : drive_(drive), write_fault_(std::move(write_fault)) {}

FileAccess::~FileAccess() {
  (void)CloseAllFiles();
}

FileAccess::OpenFileRecord* FileAccess::Find(FileNumber number) {
  auto file = std::find_if(open_.begin(), open_.end(),
                           [number](const OpenFileRecord& open) { return open.number == number; });
  return file == open_.end() ? nullptr : &*file;
}

// The record of an open file in the required mode: 52 when it is not open,
// 54 when it is open in another mode.
Status FileAccess::FileInMode(FileNumber number, FileMode mode, OpenFileRecord** file) {
  if (Status status = AnyOpenFile(number, file); status.failed()) return status;
  return (*file)->mode == mode ? kOk : Failure(kBadFileMode);
}

Status FileAccess::AnyOpenFile(FileNumber number, OpenFileRecord** file) {
  *file = Find(number);
  return *file ? kOk : Failure(kBadFileNameOrNumber);
}

Status FileAccess::OpenFile(std::string_view name, FileMode mode, FileNumber number) {
  if (name.empty() || HasWildcard(name)) return Failure(kBadFileName);
  if (number < 0) return Failure(kBadFileNameOrNumber);
  if (Find(number)) return Failure(kFileIsOpen);

  OpenFileRecord file;
  file.number = number;
  file.mode = mode;
  ModeRequest request = RequestFor(mode);
  os::WinError error =
      os::CreateFileHandle(drive_, os::ToNativeName(name.substr(0, kMaxNameLength)), request.access,
                           request.disposition, request.sharing, &file.handle);
  if (error != os::kSuccess) return FromOs(error);

  error = os::FileIsDisk(file.handle, &file.is_disk);
  if (error == os::kSuccess && file.is_disk) error = file.Prepare();
  if (error != os::kSuccess) {
    os::CloseFileHandle(file.handle);
    return FromOs(error);
  }
  open_.push_front(std::move(file));
  return kOk;
}

Status FileAccess::CloseFile(FileNumber number) {
  auto found = std::find_if(open_.begin(), open_.end(),
                            [number](const OpenFileRecord& open) { return open.number == number; });
  if (found == open_.end()) return kOk;
  OpenFileRecord file = std::move(*found);
  open_.erase(found);

  os::WinError error = file.FinishStartedFlush(drive_);
  if (error == os::kSuccess && file.mode == FileMode::kOutput && file.is_disk) {
    error = os::TruncateAtPosition(file.handle);
  }
  os::WinError close_error = os::CloseFileHandle(file.handle);
  return FromOs(error != os::kSuccess ? error : close_error);
}

Status FileAccess::CloseAllFiles() {
  Status first_failure;
  while (!open_.empty()) {
    Status closed = CloseFile(open_.front().number);
    if (first_failure.ok()) first_failure = closed;
  }
  return first_failure;
}

Status FileAccess::FileLength(FileNumber number, std::uint64_t* length) {
  *length = 0;
  OpenFileRecord* file = nullptr;
  if (Status status = AnyOpenFile(number, &file); status.failed()) return status;
  if (!file->is_disk) return kOk;
  return FromOs(os::QueryFileSize(file->handle, length));
}

Status FileAccess::ReadBytes(FileNumber number, char* into, std::size_t count, std::size_t* read) {
  *read = 0;
  OpenFileRecord* file = nullptr;
  if (Status status = FileInMode(number, FileMode::kReadBinary, &file); status.failed()) {
    return status;
  }
  os::WinError error = os::ReadFromFile(file->handle, into, count, read);
  file->position += *read;
  if (error != os::kSuccess) *read = 0;
  return FromOs(error);
}

// One write of `count` bytes to a fill file, made by `write`; the position
// advances by what was written.
template <typename Write>
Status FileAccess::WriteToFillFile(FileNumber number, std::size_t count, std::size_t* written,
                                   Write write) {
  *written = 0;
  OpenFileRecord* file = nullptr;
  if (Status status = FileInMode(number, FileMode::kNewBinary, &file); status.failed()) {
    return status;
  }
  if (write_fault_) {
    if (os::WinError refusal = write_fault_(count)) return FromOs(refusal);
  }
  os::WinError error = write(file->handle, written);
  file->position += *written;
  return FromOs(error);
}

Status FileAccess::WriteBytes(FileNumber number, std::string_view bytes, std::size_t* written) {
  return WriteToFillFile(number, bytes.size(), written,
                         [bytes](os::FileHandle handle, std::size_t* put) {
                           return os::WriteToFile(handle, bytes.data(), bytes.size(), put);
                         });
}

Status FileAccess::WriteRepeatedBytes(FileNumber number, std::string_view slice, std::size_t count,
                                      std::size_t* written) {
  return WriteToFillFile(
      number, count, written, [slice, count](os::FileHandle handle, std::size_t* put) {
        return os::WriteRepeatedToFile(handle, slice.data(), slice.size(), count, put);
      });
}

Status FileAccess::FlushFile(FileNumber number) {
  OpenFileRecord* file = nullptr;
  if (Status status = AnyOpenFile(number, &file); status.failed()) return status;
  if (!file->is_disk) return kOk;
  os::WinError error = file->FinishStartedFlush(drive_);
  if (error == os::kSuccess) error = os::FlushToDevice(file->handle);
  return FromOs(error);
}

void FileAccess::StartFlush(FileNumber number) {
  OpenFileRecord* file = Find(number);
  if (!file || !file->is_disk || file->flushing) return;
  os::StartFlush(drive_, file->handle);
  file->flushing = true;
}

bool FileAccess::FlushFinished(FileNumber number) {
  OpenFileRecord* file = Find(number);
  return !file || !file->flushing || os::FlushFinished(drive_, file->handle);
}

Status FileAccess::FinishFlush(FileNumber number) {
  OpenFileRecord* file = nullptr;
  if (Status status = AnyOpenFile(number, &file); status.failed()) return status;
  return FromOs(file->FinishStartedFlush(drive_));
}

Status FileAccess::WriteText(FileNumber number, std::string_view text) {
  OpenFileRecord* file = nullptr;
  if (Status status = FileInMode(number, FileMode::kOutput, &file); status.failed()) {
    return status;
  }
  std::size_t written = 0;
  os::WinError error = os::WriteToFile(file->handle, text.data(), text.size(), &written);
  file->position += written;
  if (error != os::kSuccess) return FromOs(error);
  if (written < text.size()) return Failure(file->is_disk ? kDiskFull : kDeviceIoError);
  return kOk;
}

Status FileAccess::WriteLineEnd(FileNumber number) {
  return WriteText(number, kLineEnd);
}

Status FileAccess::ReadLine(FileNumber number, std::string* line) {
  line->clear();
  OpenFileRecord* file = nullptr;
  if (Status status = FileInMode(number, FileMode::kInput, &file); status.failed()) {
    return status;
  }
  bool took_any = false;
  for (;;) {
    int byte = 0;
    if (os::WinError error = file->PeekByte(&byte)) {
      line->clear();
      return FromOs(error);
    }
    if (byte == OpenFileRecord::kEndOfData || byte == kEndOfText) break;
    file->TakeByte();
    if (byte == kCarriageReturn) {
      int next = 0;
      os::WinError error = file->PeekByte(&next);
      if (error == os::kSuccess && next == kLineFeed) file->TakeByte();
      return FromOs(error);  // the line stays, as read
    }
    *line += static_cast<char>(byte);
    took_any = true;
  }
  return took_any ? kOk : Failure(kInputPastEnd);
}

}  // namespace kelvor::files
