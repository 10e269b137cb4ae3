// Writes of full output buffers to regular files, done by one background
// thread while the caller fills its next buffer: a large document costs the
// time of formatting it, not that plus the time of the system's copies.
#pragma once

#include <cstddef>

namespace plume::device {

// Writes all `size` bytes to fd, again after interruptions and short writes;
// the errno of the failure, or 0.
int write_fully(int fd, const char* data, std::size_t size);

// One write in flight for one file. The caller keeps the bytes unchanged
// until wait() has returned.
class PendingWrite {
 public:
  // Hands the write to the writer thread; false when no thread can run it
  // (the caller then writes itself).
  bool start(int fd, const char* data, std::size_t size);
  bool active() const { return active_; }
  // Waits for the write; the errno it failed with, or 0.
  int wait();

 private:
  friend class BackgroundWriter;
  int fd_ = -1;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  int error_ = 0;
  bool done_ = false;   // guarded by the writer's lock
  bool active_ = false; // the caller's own view
};

}  // namespace plume::device
