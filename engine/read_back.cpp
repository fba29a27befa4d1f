#include "engine/read_back.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "engine/random_bytes.h"
#include "engine/read_ahead.h"
#include "engine/slice_pace.h"
#include "platform/os_memory.h"

namespace kelvor::engine {
namespace {

using files::Status;

constexpr std::size_t kRange = os::kReadBackAlignment;  // a sample's size, and a read's unit
constexpr std::uint64_t kSampleShareDivisor = 100;      // a sample reads at least 1%

struct FreeBuffer {
  void operator()(char* buffer) const { os::FreeBuffer(buffer); }
};

// Visits the pieces of a fill file's bytes from `offset` on, each lying
// within one copy of its chunk: visit(where in the chunk, how many).
template <typename Visit>
void ForEachChunkPiece(const FillFile& file, std::uint64_t offset, std::size_t count, Visit visit) {
  while (count > 0) {
    std::uint64_t at = offset % file.chunk_size;
    std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, file.chunk_size - at));
    visit(at, take);
    offset += take;
    count -= take;
  }
}

// The fill file's chunk where it is still in memory: a pattern file's is the
// start of the last chunk, and pseudo-random bytes are the last chunk's when
// they were drawn from its seed to its size (the gigabyte parts'). Null
// where they must be drawn again (the remainder file's, before them).
const char* ChunkInMemory(const FillFile& file, const Chunk& last_chunk) {
  bool drawn_as_last = file.origin.kind == ChunkOrigin::kRandom &&
                       last_chunk.origin().kind == ChunkOrigin::kRandom &&
                       file.origin.seed == last_chunk.origin().seed &&
                       file.chunk_size == last_chunk.size();
  bool in_memory = file.origin.kind == ChunkOrigin::kPattern || drawn_as_last;
  return in_memory ? last_chunk.held().data() : nullptr;
}

// The bytes that a fill file holds from `offset` on, as written: its chunk
// from `offset` mod the chunk's size on, round and round.
void ExpectedBytes(const FillFile& file, const Chunk& last_chunk, std::uint64_t offset, char* out,
                   std::size_t count) {
  if (file.origin.kind == ChunkOrigin::kRepeated) {
    std::memset(out, file.origin.byte, count);
    return;
  }
  const char* chunk = ChunkInMemory(file, last_chunk);
  ForEachChunkPiece(file, offset, count, [&](std::uint64_t at, std::size_t take) {
    if (chunk) {
      std::memcpy(out, chunk + at, take);
    } else {
      RandomGenerator::BytesAt(file.origin.seed, at, out, take);
    }
    out += take;
  });
}

// Word by word, so that the compiler checks many bytes per step.
bool AllBytesAre(const char* bytes, std::size_t count, char byte) {
  std::uint64_t expected_word;
  std::memset(&expected_word, byte, sizeof expected_word);
  std::uint64_t differing = 0;
  std::size_t words = count / sizeof expected_word;
  for (std::size_t i = 0; i < words; ++i) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i * sizeof word, sizeof word);
    differing |= word ^ expected_word;
  }
  for (std::size_t i = words * sizeof expected_word; i < count; ++i) {
    differing |= static_cast<unsigned char>(bytes[i] ^ byte);
  }
  return differing == 0;
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
  std::unique_ptr<char, FreeBuffer> expected{static_cast<char*>(os::AllocateBuffer(kRange))};

  // One read of a file: where, how many of its bytes are compared, and what
  // came back.
  struct Stretch {
    std::uint64_t offset = 0;
    std::size_t count = 0;
    std::size_t got = 0;
    os::WinError error = os::kSuccess;
  };

  // The read asks for a whole range, as direct reads need: the file's end
  // cuts the last one short.
  static void ReadStretch(os::FileHandle handle, char* into, Stretch* stretch) {
    stretch->error = os::ReadAt(handle, stretch->offset, into, kRange, &stretch->got);
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

  // Whether the bytes read from `offset` on are those written there, checked
  // against the chunk itself where it is in memory: reading back is as fast
  // as the device only while a comparison touches each byte once.
  bool MatchesWritten(const FillFile& file, std::uint64_t offset, const char* bytes,
                      std::size_t count) {
    if (file.origin.kind == ChunkOrigin::kRepeated) {
      return AllBytesAre(bytes, count, file.origin.byte);
    }
    const char* chunk = ChunkInMemory(file, last_chunk);
    if (!chunk) {
      ExpectedBytes(file, last_chunk, offset, expected.get(), count);
      return std::memcmp(bytes, expected.get(), count) == 0;
    }
    bool same = true;
    ForEachChunkPiece(file, offset, count, [&](std::uint64_t at, std::size_t take) {
      same = same && std::memcmp(bytes, chunk + at, take) == 0;
      bytes += take;
    });
    return same;
  }

  // Compares what a read brought with what was written there; a read that
  // ended early leaves the rest unmatched.
  void Compare(const FillFile& file, const std::string& name, const Stretch& stretch,
               const char* bytes) {
    if (!MatchesWritten(file, stretch.offset, bytes, stretch.got)) {
      ExpectedBytes(file, last_chunk, stretch.offset, expected.get(), stretch.got);
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

  // Each range is one read, with several under way at once while this thread compares the ones
  // before them in order. Between two pump steps the reads go on for about a quarter of a second
  // at the device's pace, and they all end before the pump step, in which a Cancel closes the file.
  Status CompareRanges(os::FileHandle handle, const FillFile& file, const std::string& name,
                       RandomGenerator& placing) {
    std::vector<Stretch> stretches;
    for (std::uint64_t range : RangesToRead(run.verify_mode, file.written, placing)) {
      std::uint64_t offset = range * kRange;
      stretches.push_back({offset, static_cast<std::size_t>(
                                       std::min<std::uint64_t>(kRange, file.written - offset))});
    }
    ReadAhead reads(kRange, [&](std::size_t index, char* into) {
      ReadStretch(handle, into, &stretches[index]);
    });
    if (!reads.ready()) return files::Failure(files::kOutOfMemory);
    SlicePace pace;
    for (std::size_t next = 0; next < stretches.size();) {
      std::size_t end =
          std::min(stretches.size(), next + pace.Next(next * kRange, SIZE_MAX) / kRange);
      reads.Allow(end);
      auto started = std::chrono::steady_clock::now();
      std::size_t first = next;
      for (; next < end; ++next) {
        const char* bytes = reads.Take(next);
        if (stretches[next].error != os::kSuccess) return files::FromOs(stretches[next].error);
        Compare(file, name, stretches[next], bytes);
      }
      pace.Took((end - first) * kRange,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
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
  if (!verifier.expected) {
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
