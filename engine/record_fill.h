// Erasure beyond the free space: the file records of small deleted files.
// NTFS keeps a file of a few hundred bytes inside its file record; deleting
// it only marks the record free, so filling the free clusters never reaches
// its data. Once the fill files have filled the drive, this stage creates
// small files of pseudo-random bytes until the filesystem refuses
// one: each new file takes a free record, and free records are reused before
// the record table can grow.
#pragma once

#include <functional>
#include <string>

#include "engine/chunks.h"
#include "engine/clock.h"
#include "engine/run.h"
#include "engine/run_window.h"

namespace kelvor::engine {

// At the start of a run, before the free space is measured: deletes the
// record files that a killed run left and makes the first folder for them
// while the drive still has room for its name.
void PrepareRecordFill(Run& run);

// Before the free space is measured: writes the reserve file with the run's
// fill pattern, drawn into `room` (the fill's chunk, whose memory it then
// finds touched). Its space, given back just before the stage, is where the
// folders' indexes of names grow. Failures only mean less reach.
void WriteRecordReserve(Run& run, const std::string& source_path, Chunk* room);

// The stage, run when the writing left no failure but the full disk. Its
// time is bounded by a share of `fill_seconds`, what the fill took.
// `wait_while_paused` is the run's pause check; it takes a pump step, inside
// which a Cancel ends the program.
void FillFreeRecords(Run& run, RunWindow& window, Clock& clock, double fill_seconds,
                     const std::function<void()>& wait_while_paused);

// Deletes the run's record files and their folders. Goes on past a failure,
// and returns the first one (nothing to delete is none).
files::Status DeleteRecordFiles(Run& run);

}  // namespace kelvor::engine
