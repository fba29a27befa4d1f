#include "files/file_access.h"

#include <algorithm>
#include <array>
#include <list>

#include "files/names.h"
#include "platform/os_files.h"

namespace kelvor::files {
namespace {

constexpr std::size_t kReadAheadSize = 128;
constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;
constexpr char kEndOfText = 26;  // Ctrl-Z
constexpr std::string_view kLineEnd = "\r\n";

struct OpenFileRecord {
  FileNumber number = 0;
  os::FileHandle handle = os::kNoFile;
  bool is_disk = false;
  FileMode mode = FileMode::kNewBinary;
  std::uint64_t position = 0;
  os::NativeName name;
  std::array<char, kReadAheadSize> read_ahead{};
  std::size_t read_ahead_count = 0;
  std::size_t read_ahead_next = 0;
  bool flushing = false;  // a flush was started and not yet finished
};

os::WinError FinishStartedFlush(OpenFileRecord& file) {
  if (!file.flushing) return os::kSuccess;
  file.flushing = false;
  return os::FinishFlush(file.handle);
}

// The process-wide open-file table, most recently opened first.
std::list<OpenFileRecord>& OpenFiles() {
  static std::list<OpenFileRecord> files;
  return files;
}

std::list<OpenFileRecord>::iterator FindOpen(FileNumber number) {
  return std::find_if(OpenFiles().begin(), OpenFiles().end(),
                      [number](const OpenFileRecord& file) { return file.number == number; });
}

// The record of an open file in the required mode, or null after recording 52
// (not open) or 54 (another mode).
OpenFileRecord* FileInMode(ErrorState& state, FileNumber number, FileMode mode) {
  auto file = FindOpen(number);
  if (file == OpenFiles().end()) {
    state.Record(kBadFileNameOrNumber);
    return nullptr;
  }
  if (file->mode != mode) {
    state.Record(kBadFileMode);
    return nullptr;
  }
  return &*file;
}

OpenFileRecord* AnyOpenFile(ErrorState& state, FileNumber number) {
  auto file = FindOpen(number);
  if (file != OpenFiles().end()) return &*file;
  state.Record(kBadFileNameOrNumber);
  return nullptr;
}

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

// Positions a freshly opened disk file as its mode says.
os::WinError PrepareDiskFile(OpenFileRecord& file) {
  os::WinError error = os::SetPosition(file.handle, 0);
  if (error != os::kSuccess) return error;
  if (file.mode == FileMode::kOutput) return os::TruncateAtPosition(file.handle);
  if (file.mode == FileMode::kInput) {
    return os::ReadFromFile(file.handle, file.read_ahead.data(), kReadAheadSize,
                            &file.read_ahead_count);
  }
  return os::kSuccess;
}

WriteFault& InjectedWriteFault() {
  static WriteFault fault;
  return fault;
}

// One write of the whole string; the position advances by what was written.
os::WinError WriteAtPosition(OpenFileRecord& file, std::string_view bytes, std::size_t* written) {
  os::WinError error = os::WriteToFile(file.handle, bytes.data(), bytes.size(), written);
  file.position += *written;
  return error;
}

// The next unread byte of an Input file, refilling the read-ahead buffer from
// the file as needed.
constexpr int kEndOfData = -1;
constexpr int kReadFailed = -2;

int PeekByte(ErrorState& state, OpenFileRecord& file) {
  if (file.read_ahead_next == file.read_ahead_count) {
    file.read_ahead_count = 0;
    file.read_ahead_next = 0;
    os::WinError error = os::SetPosition(file.handle, file.position);
    if (error == os::kSuccess) {
      error = os::ReadFromFile(file.handle, file.read_ahead.data(), kReadAheadSize,
                               &file.read_ahead_count);
    }
    if (error != os::kSuccess) {
      state.RecordOsError(error);
      return kReadFailed;
    }
    if (file.read_ahead_count == 0) return kEndOfData;
  }
  return static_cast<unsigned char>(file.read_ahead[file.read_ahead_next]);
}

void TakeByte(OpenFileRecord& file) {
  ++file.read_ahead_next;
  ++file.position;
}

}  // namespace

void OpenFile(ErrorState& state, std::string_view name, FileMode mode, FileNumber number) {
  if (name.empty() || HasWildcard(name)) return state.Record(kBadFileName);
  if (number < 0) return state.Record(kBadFileNameOrNumber);
  if (FindOpen(number) != OpenFiles().end()) return state.Record(kFileIsOpen);

  OpenFileRecord file;
  file.number = number;
  file.mode = mode;
  file.name = os::ToNativeName(name.substr(0, kMaxNameLength));
  ModeRequest request = RequestFor(mode);
  os::WinError error = os::CreateFileHandle(file.name, request.access, request.disposition,
                                            request.sharing, &file.handle);
  if (error != os::kSuccess) return state.RecordOsError(error);

  error = os::FileIsDisk(file.handle, &file.is_disk);
  if (error == os::kSuccess && file.is_disk) error = PrepareDiskFile(file);
  if (error != os::kSuccess) {
    os::CloseFileHandle(file.handle);
    return state.RecordOsError(error);
  }
  OpenFiles().push_front(std::move(file));
}

void CloseFile(ErrorState& state, FileNumber number) {
  auto found = FindOpen(number);
  if (found == OpenFiles().end()) return;
  OpenFileRecord file = std::move(*found);
  OpenFiles().erase(found);

  os::WinError error = FinishStartedFlush(file);
  if (error == os::kSuccess && file.mode == FileMode::kOutput && file.is_disk) {
    error = os::TruncateAtPosition(file.handle);
  }
  os::WinError close_error = os::CloseFileHandle(file.handle);
  if (error == os::kSuccess) error = close_error;
  state.RecordOsError(error);
}

void CloseAllFiles(ErrorState& state) {
  ErrorNumber first_failure = kNoError;
  while (!OpenFiles().empty()) {
    ErrorState one_file;
    CloseFile(one_file, OpenFiles().front().number);
    if (first_failure == kNoError) first_failure = one_file.Number();
  }
  if (first_failure != kNoError) state.Record(first_failure);
}

std::uint64_t FileLength(ErrorState& state, FileNumber number) {
  OpenFileRecord* file = AnyOpenFile(state, number);
  if (!file || !file->is_disk) return 0;
  std::uint64_t size = 0;
  os::WinError error = os::QueryFileSize(file->handle, &size);
  state.RecordOsError(error);
  return size;
}

std::size_t ReadBytes(ErrorState& state, FileNumber number, char* into, std::size_t count) {
  OpenFileRecord* file = FileInMode(state, number, FileMode::kReadBinary);
  if (!file) return 0;
  std::size_t read = 0;
  os::WinError error = os::ReadFromFile(file->handle, into, count, &read);
  file->position += read;
  if (error != os::kSuccess) {
    state.RecordOsError(error);
    return 0;
  }
  return read;
}

namespace {

// One write of `count` bytes to a fill file, made by `write`; the position
// advances by what was written.
template <typename Write>
std::size_t WriteToFillFile(ErrorState& state, FileNumber number, std::size_t count, Write write) {
  OpenFileRecord* file = FileInMode(state, number, FileMode::kNewBinary);
  if (!file) return 0;
  if (InjectedWriteFault()) {
    os::WinError refusal = InjectedWriteFault()(count);
    if (refusal != os::kSuccess) {
      state.RecordOsError(refusal);
      return 0;
    }
  }
  std::size_t written = 0;
  os::WinError error = write(file->handle, &written);
  file->position += written;
  state.RecordOsError(error);
  return written;
}

}  // namespace

std::size_t WriteBytes(ErrorState& state, FileNumber number, std::string_view bytes) {
  return WriteToFillFile(state, number, bytes.size(),
                         [bytes](os::FileHandle handle, std::size_t* written) {
                           return os::WriteToFile(handle, bytes.data(), bytes.size(), written);
                         });
}

std::size_t WriteRepeatedBytes(ErrorState& state, FileNumber number, std::string_view slice,
                               std::size_t count) {
  return WriteToFillFile(
      state, number, count, [slice, count](os::FileHandle handle, std::size_t* written) {
        return os::WriteRepeatedToFile(handle, slice.data(), slice.size(), count, written);
      });
}

void SetWriteFault(WriteFault fault) {
  InjectedWriteFault() = std::move(fault);
}

void FlushFile(ErrorState& state, FileNumber number) {
  OpenFileRecord* file = AnyOpenFile(state, number);
  if (!file || !file->is_disk) return;
  os::WinError error = FinishStartedFlush(*file);
  if (error == os::kSuccess) error = os::FlushToDevice(file->handle);
  state.RecordOsError(error);
}

void StartFlush(FileNumber number) {
  auto file = FindOpen(number);
  if (file == OpenFiles().end() || !file->is_disk || file->flushing) return;
  os::StartFlush(file->handle);
  file->flushing = true;
}

void FinishFlush(ErrorState& state, FileNumber number) {
  OpenFileRecord* file = AnyOpenFile(state, number);
  if (file) state.RecordOsError(FinishStartedFlush(*file));
}

void WriteText(ErrorState& state, FileNumber number, std::string_view text) {
  OpenFileRecord* file = FileInMode(state, number, FileMode::kOutput);
  if (!file) return;
  std::size_t written = 0;
  os::WinError error = WriteAtPosition(*file, text, &written);
  if (error != os::kSuccess) {
    state.RecordOsError(error);
  } else if (written < text.size()) {
    state.Record(file->is_disk ? kDiskFull : kDeviceIoError);
  }
}

void WriteLineEnd(ErrorState& state, FileNumber number) {
  WriteText(state, number, kLineEnd);
}

std::string ReadLine(ErrorState& state, FileNumber number) {
  OpenFileRecord* file = FileInMode(state, number, FileMode::kInput);
  if (!file) return {};
  std::string line;
  bool took_any = false;
  for (;;) {
    int byte = PeekByte(state, *file);
    if (byte == kReadFailed) return {};
    if (byte == kEndOfData || byte == kEndOfText) break;
    TakeByte(*file);
    if (byte == kCarriageReturn) {
      if (PeekByte(state, *file) == kLineFeed) TakeByte(*file);
      return line;
    }
    line += static_cast<char>(byte);
    took_any = true;
  }
  if (!took_any) state.Record(kInputPastEnd);
  return line;
}

}  // namespace kelvor::files
