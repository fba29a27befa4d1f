#include <signal.h>
#include <unistd.h>

#include <initializer_list>

#include "platform/os_process.h"

namespace kelvor::os {
namespace {

volatile sig_atomic_t pending_interrupt = 0;

void RecordInterrupt(int signal_number) {
  if (pending_interrupt == 0) pending_interrupt = signal_number;
}

}  // namespace

void EndProcess(int exit_code) {
  _exit(exit_code);
}

void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = RecordInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

int PendingInterrupt() {
  return pending_interrupt;
}

bool ErrorStreamIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace kelvor::os
