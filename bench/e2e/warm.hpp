// Priming the page cache before a timed write.
//
// On a virtual machine that hands free memory back to its host a moment after
// it is freed (free page reporting), a page cache page that was not in use a
// moment ago has to be given back by the host first: writing a fresh 260 MB
// document then costs about a second more, at random, and measures the
// machine instead of the program. Writing and deleting a scratch file of the
// same size just before leaves the pages it used free and warm, so every
// program starts alike. On other machines this costs little and changes
// nothing.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace plume::bench {

inline void warm_page_cache(const std::string& directory, std::size_t bytes) {
  if (bytes == 0) return;
  const std::string path = directory + "/.plume_bench_warm_" + std::to_string(::getpid());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;  // priming is best effort
  const std::vector<char> block(std::size_t{1} << 20, ' ');
  for (std::size_t done = 0; done < bytes;) {
    const ssize_t n = ::write(fd, block.data(), std::min(block.size(), bytes - done));
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  ::unlink(path.c_str());
}

// The directory part of a path ("." when it has none).
inline std::string directory_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace plume::bench
