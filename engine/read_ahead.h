// Reading the ranges of a file in order, several at once and ahead of the
// thread that takes their bytes, so that the device always has the next read
// while the last ones are compared.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvor::engine {

class ReadAhead {
 public:
  static constexpr std::size_t kReadsInFlight = 4;
  // Each range's buffer; `read(index, into)` reads range `index` into one.
  using ReadRange = std::function<void(std::size_t index, char* into)>;

  ReadAhead(std::size_t range_bytes, ReadRange read);
  ~ReadAhead();  // waits for the reads under way
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // False where the memory for the buffers was not there.
  bool ready() const { return buffers_ != nullptr; }

  // Lets the reads of the ranges below `end` start. Once each of them has
  // been taken, no read is under way.
  void Allow(std::size_t end);
  // Waits for range `index` (the next not yet taken, below what is allowed)
  // and gives its bytes, which stay there until the next Take.
  char* Take(std::size_t index);

 private:
  // Twice the reads in flight: the taken range's buffer stays as it is while
  // the next reads fill the others.
  static constexpr std::size_t kBuffers = 2 * kReadsInFlight;

  void ReadOn();
  char* BufferOf(std::size_t index) const {
    return buffers_.get() + index % kBuffers * range_bytes_;
  }

  struct FreeBuffers {
    void operator()(char* buffers) const;
  };
  std::size_t range_bytes_;
  ReadRange read_;
  std::unique_ptr<char, FreeBuffers> buffers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t allowed_ = 0;  // ranges below this may be read
  std::size_t next_ = 0;     // the next range for a reader to take up
  std::size_t taken_ = 0;    // ranges below this were given to the caller
  std::vector<std::size_t> finished_ =
      std::vector<std::size_t>(kBuffers, 0);  // range + 1 read into each
  bool stopping_ = false;
  std::vector<std::thread> readers_;
};

}  // namespace kelvor::engine
