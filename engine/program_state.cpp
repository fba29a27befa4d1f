#include "engine/program_state.h"

namespace kelvor::engine {

ProgramState& Program() {
  static ProgramState state;
  return state;
}

}  // namespace kelvor::engine
