// An in-memory file for the harnesses whose code under test reads files.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <string_view>

namespace plume::fuzz {

// A file holding `bytes`, positioned at its start, reachable through its
// descriptor or by name as /proc/self/fd/<fd>; -1 when none can be made.
inline int memory_file(std::string_view bytes, const char* name) {
  const int fd = ::memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) return -1;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ::close(fd);
      return -1;
    }
    done += static_cast<std::size_t>(n);
  }
  ::lseek(fd, 0, SEEK_SET);
  return fd;
}

}  // namespace plume::fuzz
