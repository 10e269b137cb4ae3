// Numbered output units, as Fortran programs know them: 0, 5 and 6 are the
// standard streams; any other unit is connected at its first line to the path
// the caller gave, to the file the program's Fortran runtime had connected to
// that unit, or to fort.<n> in the working directory.
//
// Every line of every document goes through one OutputUnit. It buffers for
// speed, keeps the first write error and turns later writes into no-ops, so
// callers check once (write_failures()). Bytes leave the buffer in one place,
// OutputUnit::write_out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plume/records.h"

namespace plume::device {

class OutputUnit {
 public:
  static constexpr std::size_t kCapacity = std::size_t{1} << 20;

  // Writes to fd from its current position. A unit whose buffer cannot be
  // allocated is a failed unit: it reports the failure and writes nothing.
  OutputUnit(int number, std::string path, int fd, bool owns_fd);
  ~OutputUnit();
  OutputUnit(const OutputUnit&) = delete;
  OutputUnit& operator=(const OutputUnit&) = delete;

  // The hot path: reserve room for at most n bytes (n <= kCapacity), write
  // them at the returned pointer, then commit the end of what was written.
  char* reserve(std::size_t n) {
    if (kCapacity - used_ < n) flush();
    return buffer_ + used_;
  }
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_); }
  // Room for n bytes without a flush, or null.
  char* room(std::size_t n) { return kCapacity - used_ >= n ? buffer_ + used_ : nullptr; }

  // One whole record: the text and a line feed.
  void write_line(std::string_view text);
  // Everything written so far reaches the file (or the error is reported).
  void flush();
  // Forgets the buffered bytes without writing them: in a forked child they
  // are a copy of lines that the parent writes.
  void discard();
  // The file position after everything written so far, buffered or not.
  std::size_t offset() const { return flushed_ + used_; }
  // Overwrites bytes written earlier at file position `at` (same length);
  // false when the past cannot be rewritten: a unit the library did not
  // open itself, not a regular file, or one opened for appending.
  bool overwrite(std::size_t at, std::string_view text);
  bool failed() const { return failed_; }
  int number() const { return number_; }
  const std::string& path() const { return path_; }

 private:
  void fail(int error);
  // The one place where bytes leave the buffer for the file descriptor.
  void write_out(const char* data, std::size_t size);

  int number_;
  std::string path_;
  int fd_;
  bool owns_fd_;
  bool failed_ = false;
  std::size_t used_ = 0;
  std::size_t flushed_ = 0;  // the file position of buffer_[0]
  char* buffer_;
  bool owns_buffer_ = false;
};

// The unit, connecting it if this is its first line since it was closed.
OutputUnit& unit(int number);

// The unit looked up last: documents write to one unit at a time, so the
// unit of every line is found without a search.
struct UnitCache {
  int number = 0;
  OutputUnit* unit = nullptr;
};
extern UnitCache g_unit_cache;

// The unit that receives the document if it is the one looked up last, or null.
inline OutputUnit* cached_document() {
  const auto& c = g_unit_cache;
  return c.number == p00000_.out_unit ? c.unit : nullptr;
}
// The unit that receives the document (out_unit of the plot state).
inline OutputUnit& document() {
  if (OutputUnit* u = cached_document()) [[likely]] return *u;
  return unit(p00000_.out_unit);
}
// Flushes and disconnects; the file is kept. Standard units stay connected.
void close_unit(int number);
// Connects `number` to `path` for its next connection. False for 0, 5, 6.
bool connect(int number, std::string_view path);
// Flushes every connected unit (also run at exit).
void flush_all();
int failure_count();

}  // namespace plume::device
