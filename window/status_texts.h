// The main window's status-line texts for a run's events.
#pragma once

#include <optional>
#include <string>

#include "engine/run_window.h"

namespace kelvor::window {

// The text a stage begins with, or nothing where it changes no text.
std::optional<std::string> StageText(engine::Stage stage);

// The rate after a chunk of the remainder part; the rate and the time the
// gigabyte parts after this one will take after a chunk of one of them.
std::string ChunkText(const engine::ChunkWritten& chunk);

}  // namespace kelvor::window
