// Numbered output units, as Fortran programs know them: 0, 5 and 6 are the
// standard streams; any other unit is connected at its first line to the path
// the caller gave, to the file the program's Fortran runtime had connected to
// that unit, or to fort.<n> in the working directory.
//
// Every line of every document goes through one OutputUnit. It buffers for
// speed, keeps the first write error and turns later writes into no-ops, so
// callers check once (write_failures()). Bytes leave the buffer in one place,
// OutputUnit::write_out; a fatal signal writes what the buffer holds
// (OutputUnit::rescue, device/output_unit_signals.cpp).
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "device/unit_sink.hpp"
#include "plume/records.h"

namespace plume::device {

class OutputUnit {
 public:
  static constexpr std::size_t kCapacity = std::size_t{1} << 20;

  // Writes to fd from its current position. A unit whose buffer cannot be
  // allocated is a failed unit: it reports the failure and writes nothing.
  OutputUnit(int number, std::string path, int fd, bool owns_fd);
  // A unit whose bytes go to `sink` (a renderer: .pdf, .svg, .png) instead
  // of a descriptor; the sink draws the document when the unit closes.
  OutputUnit(int number, std::string path, std::unique_ptr<UnitSink> sink);
  ~OutputUnit();
  OutputUnit(const OutputUnit&) = delete;
  OutputUnit& operator=(const OutputUnit&) = delete;

  // The hot path: reserve room for at most n bytes (n <= kCapacity), write
  // them at the returned pointer, then commit the end of what was written.
  char* reserve(std::size_t n) {
    if (kCapacity - used() < n) flush();
    return buffer_ + used();
  }
  // A signal handler sees a line in the buffer once it is committed whole.
  void commit(const char* end) { used_.store(static_cast<std::size_t>(end - buffer_), std::memory_order_relaxed); }
  // Room for n bytes without a flush, or null.
  char* room(std::size_t n) { return kCapacity - used() >= n ? buffer_ + used() : nullptr; }

  // One whole record: the text and a line feed.
  void write_line(std::string_view text);
  // Everything written so far reaches the file (or the error is reported).
  void flush();
  // Forgets the buffered bytes without writing them: in a forked child they
  // are a copy of lines that the parent writes.
  void discard();
  // The file position after everything written so far, buffered or not.
  std::size_t offset() const { return flushed() + used(); }
  // Overwrites bytes written earlier at file position `at` (same length);
  // false when the past cannot be rewritten: a unit the library did not
  // open itself, not a regular file, or one opened for appending.
  bool overwrite(std::size_t at, std::string_view text);
  bool failed() const { return failed_; }
  // Lets `observer` read every byte on its way out (null: none).
  void observe(std::shared_ptr<UnitSink> observer);
  // A renderer's document is drawn now (at exit, for a plot never closed).
  void finish_sink();
  int number() const { return number_; }
  const std::string& path() const { return path_; }
  // From a signal handler (async-signal-safe): writes the buffered lines,
  // then `tail` (the trailer of a plot left open) when the process is about
  // to end. A regular file gets them at their own file positions, so that
  // the lines written later (if the program goes on) land where they belong.
  void rescue(bool ending, const char* tail, std::size_t tail_size);

 private:
  std::size_t used() const { return used_.load(std::memory_order_relaxed); }
  std::size_t flushed() const { return flushed_.load(std::memory_order_relaxed); }
  void begin_flush(std::size_t at, std::size_t size);
  void end_flush();
  void fail(int error);
  void fail(const std::string& reason);
  // The one place where bytes leave the buffer for the file descriptor
  // (or the renderer).
  void write_out(const char* data, std::size_t size);

  int number_;
  std::string path_;
  int fd_;
  bool owns_fd_;
  std::atomic<bool> failed_ = false;  // also read by the signal handler
  bool positioned_ = false;  // a regular file written at known positions
  // Read by the signal handler: atomics (lock-free), never torn.
  std::atomic<std::size_t> used_ = 0;
  std::atomic<std::size_t> flushed_ = 0;  // the file position of buffer_[0]
  // While bytes leave the buffer: what they are and where they go.
  std::atomic<bool> flushing_ = false;
  std::atomic<std::size_t> flush_at_ = 0, flush_size_ = 0;
  char* buffer_;
  bool owns_buffer_ = false;
  std::unique_ptr<UnitSink> sink_;  // chosen at connect time from the path
  std::shared_ptr<UnitSink> observer_;
};

// Units a fatal signal rescues (device/output_unit_signals.cpp).
void watch_unit(OutputUnit* unit);
void unwatch_unit(OutputUnit* unit);
// Installs the handlers that rescue the units, once, chaining to the
// program's own.
void guard_against_fatal_signals();
// The unit of the plot that is open, or -1 (kept by the open and close;
// async-signal-safe).
int open_plot_unit();
// In a forked child: the open plot is the parent's, and stays unclosed.
void forget_open_plot();
// The lines the close of the open plot would end it with ("stroke",
// "showpage", the box), into `out`; their length (0 when no plot is open).
// Async-signal-safe: for a handler that ends a document the program left.
std::size_t open_plot_trailer(char* out, std::size_t capacity);
// write(2) and pwrite(2) of every byte (async-signal-safe); false on error.
bool write_all(int fd, const char* data, std::size_t size);
bool write_all_at(int fd, const char* data, std::size_t size, std::size_t at);

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
