#include "device/replacement_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace plume::device {
namespace {

std::string error_text(int error) { return std::strerror(error); }

// The file a path names, through symbolic links: a link to a figure keeps
// being a link, and the figure it names is replaced.
std::string resolved(const std::string& path) {
  char real[PATH_MAX];
  return ::realpath(path.c_str(), real) != nullptr ? std::string(real) : path;
}

std::string directory_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Hidden, and named after the target, so a file left by SIGKILL says whose it is.
std::string temporary_pattern(const std::string& target) {
  const auto slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  return dir + "." + target.substr(slash == std::string::npos ? 0 : slash + 1) + ".plume-";
}

// The mode the target has, or the one a new file gets.
mode_t mode_for(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool proc_fds_available() {
  static const bool available = ::access("/proc/self/fd", X_OK) == 0;
  return available;
}

// A file without a name in `dir` (nothing to remove whatever happens to
// the process), or -1.
int unnamed_file(const std::string& dir) {
  if (!proc_fds_available()) return -1;
  return ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
}

}  // namespace

bool ReplacementFile::open(const std::string& target, std::string& reason) {
  abandon();
  target_ = resolved(target);
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) {
      reason = error_text(EISDIR);
      return false;
    }
    direct_ = true;
    stream_ = std::fopen(target_.c_str(), "wb");
    if (stream_ == nullptr) reason = error_text(errno);
    return stream_ != nullptr;
  }
  int fd = unnamed_file(directory_of(target_));
  if (fd < 0) {
    std::string name = temporary_pattern(target_) + "XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
      reason = error_text(errno);
      return false;
    }
    temporary_ = name;
    watch_slot_ = watch_temporary(temporary_);
  }
  if (::fchmod(fd, mode_for(target_)) != 0 || (stream_ = ::fdopen(fd, "wb")) == nullptr) {
    reason = error_text(errno);
    ::close(fd);
    forget_temporary();
    return false;
  }
  return true;
}

bool ReplacementFile::commit(std::string& reason) {
  if (stream_ == nullptr) {
    reason = "no file was started";
    return false;
  }
  std::FILE* f = stream_;
  stream_ = nullptr;
  if (std::fflush(f) != 0 || std::ferror(f) != 0) {
    reason = error_text(errno != 0 ? errno : EIO);
    std::fclose(f);
    forget_temporary();
    return false;
  }
  if (direct_) {
    if (std::fclose(f) == 0) return true;
    reason = error_text(errno);
    return false;
  }
  if (temporary_.empty()) {
    // The unnamed file gets a temporary name first: rename(2) is what
    // replaces a file in one step.
    const std::string fd_path = "/proc/self/fd/" + std::to_string(::fileno(f));
    const std::string pattern = temporary_pattern(target_) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; temporary_.empty() && attempt < 100; ++attempt) {
      std::string name = pattern + std::to_string(attempt);
      watch_slot_ = watch_temporary(name);
      if (::linkat(AT_FDCWD, fd_path.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        temporary_ = name;
      } else {
        const int error = errno;
        unwatch_temporary(watch_slot_);
        watch_slot_ = -1;
        if (error != EEXIST) {
          reason = error_text(error);
          std::fclose(f);
          return false;
        }
      }
    }
  }
  const int closed = std::fclose(f);
  const int close_error = errno;
  if (closed != 0 || temporary_.empty() || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    reason = error_text(closed != 0 ? close_error : temporary_.empty() ? EEXIST : errno);
    forget_temporary();
    return false;
  }
  unwatch_temporary(watch_slot_);
  watch_slot_ = -1;
  temporary_.clear();
  return true;
}

void ReplacementFile::abandon() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  forget_temporary();
  direct_ = false;
}

void ReplacementFile::forget_temporary() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  unwatch_temporary(watch_slot_);
  watch_slot_ = -1;
  temporary_.clear();
}

std::string replacement_problem(const std::string& target) {
  const std::string file = resolved(target);
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) return error_text(EISDIR);
    return ::access(file.c_str(), W_OK) == 0 ? std::string() : error_text(errno);
  }
  const std::string dir = directory_of(file);
  int fd = unnamed_file(dir);
  if (fd < 0) {
    std::string name = temporary_pattern(file) + "XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return error_text(errno);
    ::unlink(name.c_str());
  }
  ::close(fd);
  return {};
}

}  // namespace plume::device
