// Proof that the fill reached the volume: before anything is deleted, the
// fill files are read back past the OS's cache and compared with the bytes
// the run wrote there, and the space the volume gave them is summed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/chunks.h"
#include "engine/clock.h"
#include "engine/run.h"
#include "engine/run_window.h"

namespace kelvor::engine {

// One fill file as the run wrote it: its chunk, over and over, `written`
// bytes in all. `known` is false where the bytes cannot be made again (a
// pattern file that changed between two of its reads).
struct FillFile {
  std::string path;
  ChunkOrigin origin;
  std::uint64_t chunk_size = 0;
  std::uint64_t written = 0;
  bool known = true;
};

// A volume that gave the fill files less than this share of what was
// written to them compressed or deduplicated it: old data may lie beside it.
inline constexpr std::uint64_t kLeastStoredDivisor = 2;

// Reads back the files (the bytes of kPattern chunks come from `last_chunk`,
// of which every earlier pattern chunk of the run is the start, and so do
// those of the pseudo-random chunk that it is; others are drawn again) and returns
// what it found. A mismatch, a short file or a fill stored in less than
// half its room (where the volume tells the room at all) records 72 as the
// run's error, a failed read its own number.
ReadBack VerifyFillFiles(Run& run, RunWindow& window, Clock& clock,
                         const std::vector<FillFile>& files, const Chunk& last_chunk,
                         const std::function<void()>& wait_while_paused);

}  // namespace kelvor::engine
