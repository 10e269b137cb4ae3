// Numbered output units, as Fortran programs know them: 0, 5 and 6 are the
// standard streams; any other unit is connected at its first line to the path
// the caller gave, or to fort.<n> in the working directory.
//
// Every line of every document goes through one OutputUnit. It buffers for
// speed, keeps the first write error and turns later writes into no-ops, so
// callers check once (write_failures()).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "device/background_writer.hpp"
#include "device/unit_sink.hpp"
#include "plume/records.h"

namespace plume::device {

class OutputUnit {
 public:
  static constexpr std::size_t kCapacity = std::size_t{1} << 20;

  OutputUnit(int number, std::string path, int fd, bool owns_fd);
  // A unit whose bytes go to `sink` (a renderer) instead of a descriptor.
  OutputUnit(int number, std::string path, std::unique_ptr<UnitSink> sink);
  ~OutputUnit();
  OutputUnit(const OutputUnit&) = delete;
  OutputUnit& operator=(const OutputUnit&) = delete;

  // The hot path: reserve room for at most n bytes (n <= kCapacity), write
  // them at the returned pointer, then commit the end of what was written.
  char* reserve(std::size_t n) {
    if (kCapacity - used_ < n) spill();
    return buffer_ + used_;
  }
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_); }
  // Room for n bytes without a flush, or null.
  char* room(std::size_t n) { return kCapacity - used_ >= n ? buffer_ + used_ : nullptr; }

  // One whole record: the text and a line feed.
  void write_line(std::string_view text);
  // Everything written so far reaches the file (or the error is reported).
  void flush();
  // Makes room: the full buffer is written, by the background writer for a
  // regular file, which then fills its second buffer meanwhile.
  void spill();
  // Bytes written to this unit so far, buffered or not.
  std::size_t offset() const { return flushed_ + used_; }
  // Overwrites bytes written earlier at `at` (same length); false when the
  // unit is not a regular file, whose past cannot be rewritten.
  bool overwrite(std::size_t at, std::string_view text);
  bool failed() const { return failed_; }
  int number() const { return number_; }
  // Lets `observer` read every byte on its way out (null: none); the unit
  // then writes in the foreground, so the observer sees bytes in order.
  void observe(std::shared_ptr<UnitSink> observer);
  const std::string& path() const { return path_; }

 private:
  void fail(int error);
  void fail(const std::string& reason);
  void write_all(const char* data, std::size_t size);
  // Waits for the write in flight and reports its error.
  void settle();

  int number_;
  std::string path_;
  int fd_;
  bool owns_fd_;
  bool failed_ = false;
  std::size_t used_ = 0;
  std::size_t flushed_ = 0;
  char* buffer_;
  char* spare_ = nullptr;   // the buffer being written in the background
  bool background_ = false; // a regular file, written in the background
  PendingWrite pending_;
  std::unique_ptr<UnitSink> sink_;  // set at connect time for .pdf, .svg, .png
  std::shared_ptr<UnitSink> observer_;
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
