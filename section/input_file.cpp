#include "section/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "section/input_error.hpp"

namespace section {

InputFile::InputFile(const std::string& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) fail(path, 0, "", std::string("cannot open: ") + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    fail(path, 0, "", "not a regular file");
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
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
