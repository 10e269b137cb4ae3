#include "section/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "section/input_error.hpp"

namespace section {
namespace {

struct Stamp {
  dev_t device;
  ino_t inode;
  off_t size;
  long long modified_s;
  long modified_ns;
  bool operator==(const Stamp&) const = default;
};

Stamp stamp_of(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec};
}

// One stamp per path read in this run: the program reads a few files.
std::map<std::string, Stamp>& first_readings() {
  static std::map<std::string, Stamp> stamps;
  return stamps;
}

void compare(const std::string& path, const struct stat& st) {
  const auto it = first_readings().find(path);
  if (it == first_readings().end() || it->second == stamp_of(st)) return;
  const Stamp& first = it->second;
  std::string what = "the file changed while it was read";
  if (first.size != st.st_size) {
    what += " (" + std::to_string(first.size) + " bytes at the first reading, now " + std::to_string(st.st_size) + ")";
  }
  fail(path, 0, "", what);
}

}  // namespace

void check_unchanged(const std::string& path, int fd) {
  struct stat st {};
  if (::fstat(fd, &st) == 0) compare(path, st);
}

InputFile::InputFile(const std::string& path, Reading reading) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) fail(path, 0, "", std::string("cannot open: ") + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    fail(path, 0, "", "not a regular file");
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  if (reading == Reading::first) {
    first_readings().insert_or_assign(path, stamp_of(st));
  } else {
    try {
      compare(path, st);
    } catch (...) {
      ::close(fd_);
      fd_ = -1;
      throw;
    }
  }
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::read_some(std::uint64_t offset, void* into, std::size_t count) const {
  auto* out = static_cast<unsigned char*>(into);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(path_, 0, "", std::string("read error: ") + std::strerror(errno));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void InputFile::read_at(std::uint64_t offset, void* into, std::size_t count, long trace, std::string_view what) const {
  if (read_some(offset, into, count) != count) {
    fail(path_, trace, what,
         "the file ends at byte " + std::to_string(size_) + ", before the " + std::to_string(count) +
             " bytes from byte " + std::to_string(offset));
  }
}

}  // namespace section
