#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
  // A run in the background of a terminal that stops writers (stty tostop)
  // would be stopped by its next status line, with the disk full.
  signal(SIGTTOU, SIG_IGN);
}

int PendingInterrupt() {
  return pending_interrupt;
}

bool ErrorStreamIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

// A plain file never keeps a writer waiting. A pipe or a terminal that polls
// ready takes one write of up to PIPE_BUF bytes at once; one that does not
// gets nothing.
void WriteWithoutWaiting(std::FILE* stream, std::string_view text) {
  std::fflush(stream);
  int fd = fileno(stream);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) return;
  bool plain_file = S_ISREG(info.st_mode);
  while (!text.empty()) {
    pollfd ready = {fd, POLLOUT, 0};
    if (!plain_file && (poll(&ready, 1, 0) != 1 || !(ready.revents & POLLOUT))) return;
    std::size_t most = plain_file ? text.size() : std::min<std::size_t>(text.size(), PIPE_BUF);
    ssize_t put = write(fd, text.data(), most);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(put));
  }
}

}  // namespace kelvor::os
