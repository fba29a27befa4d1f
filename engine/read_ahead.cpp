#include "engine/read_ahead.h"

#include <system_error>
#include <utility>

#include "platform/os_memory.h"

namespace kelvor::engine {

void ReadAhead::FreeBuffers::operator()(char* buffers) const {
  os::FreeBuffer(buffers);
}

ReadAhead::ReadAhead(std::size_t range_bytes, ReadRange read)
    : range_bytes_(range_bytes),
      read_(std::move(read)),
      buffers_(static_cast<char*>(os::AllocateBuffer(kBuffers * range_bytes))) {
  if (!buffers_) return;
  for (std::size_t i = 0; i < kReadsInFlight; ++i) {
    try {
      readers_.emplace_back(&ReadAhead::ReadOn, this);
    } catch (const std::system_error&) {
      break;  // fewer readers; with none, Take reads each range itself
    }
  }
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& reader : readers_) reader.join();
}

void ReadAhead::Allow(std::size_t end) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    allowed_ = end;
  }
  changed_.notify_all();
}

// A reader takes up the next allowed range as soon as its buffer is free:
// the range that last used it has been taken and the one taken after it too.
void ReadAhead::ReadOn() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock,
                  [&] { return stopping_ || (next_ < allowed_ && next_ + 1 < taken_ + kBuffers); });
    if (stopping_) return;
    std::size_t index = next_++;
    lock.unlock();
    read_(index, BufferOf(index));
    lock.lock();
    finished_[index % kBuffers] = index + 1;
    changed_.notify_all();
  }
}

char* ReadAhead::Take(std::size_t index) {
  char* bytes = BufferOf(index);
  std::unique_lock<std::mutex> lock(mutex_);
  if (readers_.empty()) {
    next_ = index + 1;
    lock.unlock();
    read_(index, bytes);
    lock.lock();
  } else {
    changed_.wait(lock, [&] { return finished_[index % kBuffers] == index + 1; });
  }
  taken_ = index + 1;
  changed_.notify_all();
  return bytes;
}

}  // namespace kelvor::engine
