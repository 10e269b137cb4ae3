// Baseline (c), the floor: the finished document's bytes, read into memory
// beforehand, written to the destination with one large write and closed.
// Prints the seconds taken by open + write + close (the read is not timed).
// Between the read and the write it primes the page cache with a scratch
// file as large as the document (see warm.hpp): its own buffer took the pages
// that the launcher had primed.
// Usage: bench_floor DOCUMENT OUT [PRIME]   (PRIME 0: no priming)
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

#include "bench/e2e/warm.hpp"

namespace {

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: bench_floor DOCUMENT OUT [PRIME]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::vector<char> bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
  in.seekg(0);
  if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
    std::perror(argv[1]);
    return 1;
  }
  const bool prime = argc < 4 || std::string_view(argv[3]) != "0";
  if (prime) plume::bench::warm_page_cache(plume::bench::directory_of(argv[2]), bytes.size());
  const auto start = std::chrono::steady_clock::now();
  const int fd = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  const bool ok = fd >= 0 && write_all(fd, bytes.data(), bytes.size()) && ::close(fd) == 0;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!ok) {
    std::perror(argv[2]);
    return 1;
  }
  std::printf("%.6f\n", elapsed.count());
  return 0;
}
