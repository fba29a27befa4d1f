#include "engine/read_back.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/random_bytes.h"

namespace kelvor::engine {
namespace {

using files::Status;

constexpr std::size_t kRange = os::kReadBackAlignment;  // a sample's size, and a read's unit
constexpr std::size_t kFullRead = 8 * kRange;           // one read when every byte is read
constexpr std::uint64_t kSampleShareDivisor = 100;      // a sample reads at least 1%
constexpr std::size_t kPageBytes = 4096;

// Page-aligned memory, as direct reads need it.
class ReadBuffer {
 public:
  explicit ReadBuffer(std::size_t size) : pages_(new (std::nothrow) Page[size / kPageBytes]) {}
  char* get() { return pages_ ? pages_[0].bytes : nullptr; }

 private:
  struct alignas(kPageBytes) Page {
    char bytes[kPageBytes];
  };
  std::unique_ptr<Page[]> pages_;
};

// The bytes that a fill file holds from `offset` on, as written: its chunk
// from `offset` mod the chunk's size on, round and round.
void ExpectedBytes(const FillFile& file, const Chunk& last_chunk, std::uint64_t offset, char* out,
                   std::size_t count) {
  if (file.origin.kind == ChunkOrigin::kRepeated) {
    std::memset(out, file.origin.byte, count);
    return;
  }
  while (count > 0) {
    std::uint64_t at = offset % file.chunk_size;
    std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, file.chunk_size - at));
    if (file.origin.kind == ChunkOrigin::kRandom) {
      RandomGenerator::BytesAt(file.origin.seed, at, out, take);
    } else {
      std::memcpy(out, last_chunk.held().data() + at, take);
    }
    out += take;
    offset += take;
    count -= take;
  }
}

// The ranges of a file to read, as indexes of kRange-sized ranges: all of
// them, or the first, the last and at least 1% more, placed by a generator
// seeded now that the writing has ended, so that nothing could know them
// while it wrote.
std::set<std::uint64_t> RangesToRead(VerifyMode mode, std::uint64_t length,
                                     RandomGenerator& placing) {
  std::uint64_t ranges = (length + kRange - 1) / kRange;
  std::set<std::uint64_t> chosen;
  if (ranges == 0) return chosen;
  if (mode == VerifyMode::kFull) {
    for (std::uint64_t i = 0; i < ranges; ++i) chosen.insert(i);
    return chosen;
  }
  chosen = {0, ranges - 1};
  std::uint64_t extra = (length / kSampleShareDivisor + kRange - 1) / kRange;
  for (std::uint64_t i = 0; i < extra; ++i) {
    chosen.insert(static_cast<std::uint64_t>(placing.Next() * static_cast<double>(ranges)));
  }
  return chosen;
}

struct Verifier {
  Run& run;
  RunWindow& window;
  const Chunk& last_chunk;
  const std::function<void()>& wait_while_paused;
  ReadBack result;
  ReadBuffer reads[2] = {ReadBuffer{kFullRead}, ReadBuffer{kFullRead}};  // one compared, one read
  ReadBuffer expected{kFullRead};

  // One read of a file: where, how many of its bytes are compared, and what
  // came back.
  struct Stretch {
    std::uint64_t offset = 0;
    std::size_t count = 0;
    std::size_t got = 0;
    os::WinError error = os::kSuccess;
  };

  // The read asks for whole ranges: the file's end cuts the last one short.
  static void ReadStretch(os::FileHandle handle, char* into, Stretch* stretch) {
    std::size_t asked = (stretch->count + kRange - 1) / kRange * kRange;
    stretch->error = os::ReadAt(handle, stretch->offset, into, asked, &stretch->got);
    stretch->got = std::min(stretch->got, stretch->count);
  }

  void NoteMismatch(const std::string& name, std::uint64_t offset, std::uint64_t length) {
    result.mismatched_bytes += length;
    if (!result.mismatches.empty()) {
      Mismatch& last = result.mismatches.back();
      if (last.file == name && last.offset + last.length == offset) {
        last.length += length;
        return;
      }
    }
    if (result.mismatches.size() < kMostMismatchesKept) {
      result.mismatches.push_back({name, offset, length});
    }
  }

  // Compares what a read brought with what was written there; a read that
  // ended early leaves the rest unmatched.
  void Compare(const FillFile& file, const std::string& name, const Stretch& stretch,
               const char* bytes) {
    ExpectedBytes(file, last_chunk, stretch.offset, expected.get(), stretch.count);
    if (std::memcmp(bytes, expected.get(), stretch.got) != 0) {
      std::size_t first = 0;
      while (bytes[first] == expected.get()[first]) ++first;
      std::size_t end = stretch.got;
      while (bytes[end - 1] == expected.get()[end - 1]) --end;
      NoteMismatch(name, stretch.offset + first, end - first);
    }
    if (stretch.got < stretch.count) {
      NoteMismatch(name, stretch.offset + stretch.got, stretch.count - stretch.got);
    }
    result.bytes_verified += stretch.got;
  }

  Status Verify(const FillFile& file, RandomGenerator& placing) {
    std::string name = file.path.substr(file.path.find_last_of('\\') + 1);
    os::FileHandle handle = os::kNoFile;
    os::ReadBackPath path = os::ReadBackPath::kDirect;
    if (os::WinError error =
            os::OpenForReadBack(run.drive, os::ToNativeName(file.path), &handle, &path)) {
      return files::FromOs(error);
    }
    result.path = std::max(result.path, path);
    std::uint64_t stored = 0;
    (void)os::QueryAllocatedSize(handle, &stored);
    result.bytes_stored += stored;
    Status status;
    run.reading_back = handle;
    if (!file.known) {
      ++result.files_not_verifiable;
    } else if (run.verify_mode != VerifyMode::kOff) {
      status = CompareRanges(handle, file, name, placing);
    }
    run.reading_back = os::kNoFile;
    (void)os::CloseFileHandle(handle);
    return status;
  }

  // Neighbouring ranges are read as one, up to kFullRead at a time. The
  // next stretch is read while this one is compared, so that the device
  // never waits for the comparison; no read is under way during a pump step,
  // in which a Cancel closes the file.
  Status CompareRanges(os::FileHandle handle, const FillFile& file, const std::string& name,
                       RandomGenerator& placing) {
    std::vector<Stretch> stretches;
    std::set<std::uint64_t> ranges = RangesToRead(run.verify_mode, file.written, placing);
    for (auto it = ranges.begin(); it != ranges.end();) {
      std::uint64_t first = *it, next = first + 1;
      for (++it; it != ranges.end() && *it == next && (next - first) * kRange < kFullRead; ++it) {
        ++next;
      }
      std::uint64_t offset = first * kRange;
      stretches.push_back(
          {offset, static_cast<std::size_t>(std::min(next * kRange, file.written) - offset)});
    }
    if (stretches.empty()) return files::kOk;
    ReadStretch(handle, reads[0].get(), &stretches[0]);
    for (std::size_t i = 0; i < stretches.size(); ++i) {
      std::thread ahead;
      if (i + 1 < stretches.size()) {
        char* into = reads[(i + 1) % 2].get();
        try {
          ahead = std::thread(ReadStretch, handle, into, &stretches[i + 1]);
        } catch (const std::system_error&) {
          ReadStretch(handle, into, &stretches[i + 1]);  // no thread to be had: in turn
        }
      }
      if (stretches[i].error == os::kSuccess) Compare(file, name, stretches[i], reads[i % 2].get());
      if (ahead.joinable()) ahead.join();
      if (stretches[i].error != os::kSuccess) return files::FromOs(stretches[i].error);
      window.PumpStep();
      wait_while_paused();
    }
    return files::kOk;
  }
};

}  // namespace

ReadBack VerifyFillFiles(Run& run, RunWindow& window, Clock& clock,
                         const std::vector<FillFile>& files, const Chunk& last_chunk,
                         const std::function<void()>& wait_while_paused) {
  Verifier verifier{run, window, last_chunk, wait_while_paused, {}};
  verifier.result.mode = run.verify_mode;
  if (run.error.failed() && run.error.number != files::kDiskFull) return verifier.result;
  if (!verifier.reads[0].get() || !verifier.reads[1].get() || !verifier.expected.get()) {
    run.error = files::Failure(files::kOutOfMemory);
    return verifier.result;
  }
  if (run.verify_mode != VerifyMode::kOff) window.OnStage(Stage::kVerifying);
  window.PumpStep();
  double started = SecondsOfDay(clock.Now());
  RandomGenerator placing;
  placing.Seed(started);
  for (const FillFile& file : files) {
    Status status = verifier.Verify(file, placing);
    verifier.result.seconds = ElapsedSeconds(started, SecondsOfDay(clock.Now()));
    if (status.failed()) {
      run.error = status;
      return verifier.result;
    }
  }
  verifier.result.done = run.verify_mode != VerifyMode::kOff;
  std::uint64_t written = 0;
  for (const FillFile& file : files) written += file.written;
  std::uint64_t stored = verifier.result.bytes_stored;
  verifier.result.stored_short = stored > 0 && stored * kLeastStoredDivisor < written;
  if (verifier.result.done &&
      (verifier.result.mismatched_bytes > 0 || verifier.result.stored_short)) {
    run.error = files::Failure(files::kDiskMediaError);
  }
  return verifier.result;
}

}  // namespace kelvor::engine
