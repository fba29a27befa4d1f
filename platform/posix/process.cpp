#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
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
  // SIGXCPU: the soft limit of processor time (ulimit -t) is reached; the
  // hard one, which kills, comes later.
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGXCPU}) {
    sigaction(signal_number, &action, nullptr);
  }
  // A run in the background of a terminal that stops writers (stty tostop)
  // would be stopped by its next status line, with the disk full.
  signal(SIGTTOU, SIG_IGN);
  // A write past the file-size limit (ulimit -f) fails with EFBIG instead of
  // killing the program with its fill files on the disk.
  signal(SIGXFSZ, SIG_IGN);
}

bool MakeRoomForDescriptors(unsigned needed) {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed) {
    limit.rlim_cur =
        limit.rlim_max == RLIM_INFINITY ? needed : std::min<rlim_t>(needed, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  return limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= needed;
}

int PendingInterrupt() {
  return pending_interrupt;
}

void UseCallersConsole() {}

bool ErrorStreamIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

int TerminalColumns(std::FILE* stream) {
  struct winsize size {};
  return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
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
