#include "device/output_unit.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <utility>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "plume/records.h"

// The Fortran face (libplume_fortran, fortran/unit_hook.f90) defines these
// when the program links it; C and C++ programs go without, and the library
// never needs the Fortran runtime itself.
extern "C" {
[[gnu::weak]] void plume_fortran_unit_file(std::int32_t unit, char* name, std::int32_t capacity,
                                           std::int32_t* length, std::int32_t* fd);
[[gnu::weak]] void plume_fortran_close_unit(std::int32_t unit);
[[gnu::weak]] void plume_fortran_flush_unit(std::int32_t unit);
[[gnu::weak]] std::int32_t plume_fortran_unit_appends(std::int32_t unit);
}

namespace plume::device {
namespace {

int g_failures = 0;

// Bytes of a unit whose buffer could not be allocated are formatted here and
// never written; it costs no memory until such a unit is used.
char g_discarded[OutputUnit::kCapacity];

struct Registry {
  std::map<int, std::unique_ptr<OutputUnit>> open;
  std::map<int, std::string> requested_paths;
};

Registry& registry();

// A forked child's copy of a buffer holds lines its parent writes: the child
// drops them, so that neither its exit nor its later writes repeat them,
// nor does its next open close the parent's plot.
void forget_parents_lines() {
  for (auto& [number, u] : registry().open) u->discard();
  forget_open_plot();  // it is the parent's to close
}

// A PDF, SVG or PNG whose plot was never closed is drawn at exit with what
// it holds, as an EPS document keeps its lines.
void finish_renderers() {
  for (auto& [number, u] : registry().open) u->finish_sink();
}

Registry& registry() {
  static Registry* r = [] {
    std::atexit(flush_all);
    std::atexit(finish_renderers);  // runs before flush_all
    std::at_quick_exit(flush_all);
    ::pthread_atfork(nullptr, nullptr, forget_parents_lines);
    return new Registry;  // never destroyed: units must outlive static destructors
  }();
  return *r;
}

bool is_standard(int number) { return number == 0 || number == 5 || number == 6; }

// Descriptors 0, 1 and 2 belong to the standard streams even while they are
// closed: a document opened then must not receive what the program writes
// to standard error later. The descriptor returned is 3 or above, or -1.
int above_standard_streams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  const int error = errno;
  ::close(fd);
  errno = error;
  return moved;
}

int open_document_file(const std::string& path) {
  return above_standard_streams(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
}

// The file the program's Fortran runtime has connected to `number`, taken
// over: the runtime's lines stay ahead of the document, which continues at
// the unit's position (a sequential file ends after its last record; a unit
// opened with position='append' stands at the file's end), and the runtime's
// unit is closed. A unit whose file is named .pdf, .svg or .png only lends
// its name: `path` receives it and `renders` is set, and the file is left
// for the renderer to replace. -1 when the runtime holds no such unit (or
// the program does not link the Fortran face).
int take_fortran_unit(int number, std::string& path, bool& renders) {
  renders = false;
  if (plume_fortran_unit_file == nullptr || plume_fortran_close_unit == nullptr) return -1;
  char name[4096];
  std::int32_t length = 0, runtime_fd = -1;
  plume_fortran_unit_file(number, name, sizeof name, &length, &runtime_fd);
  if (runtime_fd < 0) return -1;
  const std::string runtime_path(name, static_cast<std::size_t>(std::max(length, std::int32_t{0})));
  if (format_of_path(runtime_path) != OutputFormat::eps) {
    plume_fortran_close_unit(number);
    path = runtime_path;
    renders = true;
    return -1;
  }
  const int fd = ::fcntl(runtime_fd, F_DUPFD_CLOEXEC, 3);
  if (fd < 0) return -1;  // the runtime keeps its unit
  const bool appends = plume_fortran_unit_appends != nullptr && plume_fortran_unit_appends(number) != 0;
  const off_t position = ::lseek(fd, 0, appends ? SEEK_END : SEEK_CUR);
  plume_fortran_close_unit(number);
  if (position >= 0 && ::ftruncate(fd, position) == 0) ::lseek(fd, position, SEEK_SET);
  if (!runtime_path.empty()) path = runtime_path;
  return fd;
}

// A unit whose document a renderer draws into `path` (.pdf, .svg, .png).
std::unique_ptr<OutputUnit> connect_renderer(int number, const std::string& path, OutputFormat format) {
  std::string reason;
  if (auto sink = make_render_sink(format, path, reason)) {
    return std::make_unique<OutputUnit>(number, path, std::move(sink));
  }
  std::fprintf(stderr, "plume: cannot open unit %d (%s): %s\n", number, path.c_str(), reason.c_str());
  ++g_failures;
  return std::make_unique<OutputUnit>(number, path, -1, false);
}

// Lines the program wrote to a standard stream through C stdio or the
// Fortran runtime go out before the library's lines that follow them.
void flush_programs_own_writes(int number) {
  std::fflush(number == 0 ? stderr : stdout);
  if (plume_fortran_flush_unit != nullptr) plume_fortran_flush_unit(number);
}

std::unique_ptr<OutputUnit> connect_now(int number) {
  auto& r = registry();
  if (is_standard(number)) {
    const int fd = number == 0 ? 2 : number == 6 ? 1 : 0;
    const char* name = number == 0 ? "standard error" : number == 6 ? "standard output" : "standard input";
    return std::make_unique<OutputUnit>(number, name, fd, false);
  }
  std::string path = "fort." + std::to_string(number);
  int fd = -1;
  if (auto it = r.requested_paths.find(number); it != r.requested_paths.end()) {
    path = it->second;
    r.requested_paths.erase(it);
    if (const auto format = format_of_path(path); format != OutputFormat::eps) {
      return connect_renderer(number, path, format);
    }
    fd = open_document_file(path);
  } else if (bool renders = false; (fd = take_fortran_unit(number, path, renders)) < 0) {
    if (renders) return connect_renderer(number, path, format_of_path(path));
    fd = open_document_file(path);
  }
  auto u = std::make_unique<OutputUnit>(number, path, fd, fd >= 0);
  if (fd < 0) {
    std::fprintf(stderr, "plume: cannot open unit %d (%s): %s\n", number, path.c_str(),
                 std::strerror(errno));
    ++g_failures;
  }
  return u;
}

}  // namespace

OutputUnit::OutputUnit(int number, std::string path, int fd, bool owns_fd)
    : number_(number), path_(std::move(path)), fd_(fd), owns_fd_(owns_fd), failed_(fd < 0),
      buffer_(new (std::nothrow) char[kCapacity]) {
  owns_buffer_ = buffer_ != nullptr;
  if (!owns_buffer_) {
    buffer_ = g_discarded;
    fail(ENOMEM);
  }
  if (owns_fd_ && fd_ >= 0) {
    const off_t position = ::lseek(fd_, 0, SEEK_CUR);
    if (position > 0) flushed_ = static_cast<std::size_t>(position);
    struct stat st {};
    const int flags = ::fcntl(fd_, F_GETFL);
    positioned_ = position >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && flags >= 0 &&
                  (flags & O_APPEND) == 0;
  }
  watch_unit(this);
}

OutputUnit::OutputUnit(int number, std::string path, std::unique_ptr<UnitSink> sink)
    : OutputUnit(number, std::move(path), -1, false) {
  if (owns_buffer_) failed_ = false;  // no descriptor, but not a failure
  sink_ = std::move(sink);
}

OutputUnit::~OutputUnit() {
  finish_sink();
  flush();
  unwatch_unit(this);
  if (owns_fd_ && fd_ >= 0 && ::close(fd_) != 0) fail(errno);
  if (owns_buffer_) delete[] buffer_;
}

void OutputUnit::fail(int error) {
  if (failed_) return;
  failed_ = true;
  ++g_failures;
  std::fprintf(stderr, "plume: cannot write unit %d (%s): %s\n", number_, path_.c_str(),
               std::strerror(error));
}

void OutputUnit::fail(const std::string& reason) {
  if (failed_) return;
  failed_ = true;
  ++g_failures;
  std::fprintf(stderr, "plume: cannot write unit %d (%s): %s\n", number_, path_.c_str(), reason.c_str());
}

void OutputUnit::observe(std::shared_ptr<UnitSink> observer) {
  flush();
  observer_ = std::move(observer);
}

void OutputUnit::finish_sink() {
  if (!sink_) return;
  flush();
  if (!failed_ && !sink_->finish()) fail(sink_->reason());
  sink_.reset();
  failed_ = true;  // nothing more reaches the drawn document
}

void OutputUnit::write_out(const char* data, std::size_t size) {
  if (failed_ || size == 0) return;
  if (observer_) observer_->consume(data, size);
  if (sink_) {
    if (!sink_->consume(data, size)) fail(sink_->reason());
    return;
  }
  if (!owns_fd_) flush_programs_own_writes(number_);
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
      return;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void OutputUnit::flush() {
  const std::size_t at = flushed(), size = used();
  if (size == 0) return;
  begin_flush(at, size);
  write_out(buffer_, size);
  flushed_.store(at + size, std::memory_order_relaxed);
  used_.store(0, std::memory_order_relaxed);
  end_flush();
}

void OutputUnit::begin_flush(std::size_t at, std::size_t size) {
  flush_at_.store(at, std::memory_order_relaxed);
  flush_size_.store(size, std::memory_order_relaxed);
  flushing_.store(true, std::memory_order_relaxed);
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

void OutputUnit::end_flush() {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  flushing_.store(false, std::memory_order_relaxed);
}

void OutputUnit::rescue(bool ending, const char* tail, std::size_t tail_size) {
  if (fd_ < 0 || failed_) return;  // a renderer's unit has no descriptor
  const bool flushing = flushing_.load(std::memory_order_relaxed);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  const std::size_t at = flushing ? flush_at_.load(std::memory_order_relaxed) : flushed();
  const std::size_t size = flushing ? flush_size_.load(std::memory_order_relaxed) : used();
  if (positioned_) {
    // The same bytes at the same positions: harmless if the flush that was
    // under way, or a later one, writes them again.
    if (!write_all_at(fd_, buffer_, size, at)) return;
    if (ending && tail_size > 0) write_all_at(fd_, tail, tail_size, at + size);
    return;
  }
  // A stream cannot take bytes back: it gets them only when nothing else
  // will write them, and not in the middle of a flush that sends them.
  if (!ending || flushing || !write_all(fd_, buffer_, size)) return;
  if (tail_size > 0) write_all(fd_, tail, tail_size);
}

void OutputUnit::discard() {
  flushed_.store(flushed() + used(), std::memory_order_relaxed);
  used_.store(0, std::memory_order_relaxed);
  // A forked child's renderer shares its parent's spool and output file: it
  // draws nothing, and is let go without closing them (closing would write
  // the stdio buffers it shares with the parent).
  if (sink_) {
    [[maybe_unused]] UnitSink* abandoned = sink_.release();
    failed_ = true;
  }
}

bool OutputUnit::overwrite(std::size_t at, std::string_view text) {
  if (failed_ || !owns_fd_ || at + text.size() > offset()) return false;
  if (at >= flushed()) {
    std::memcpy(buffer_ + (at - flushed()), text.data(), text.size());
    return true;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0 || (flags & O_APPEND) != 0) return false;  // pwrite would append
  flush();
  const auto n = ::pwrite(fd_, text.data(), text.size(), static_cast<off_t>(at));
  if (n != static_cast<ssize_t>(text.size())) {
    fail(n < 0 ? errno : EIO);
    return false;
  }
  return true;
}

void OutputUnit::write_line(std::string_view text) {
  if (text.size() + 1 <= kCapacity) {
    char* p = reserve(text.size() + 1);
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = '\n';
    commit(p + text.size() + 1);
    return;
  }
  flush();
  // A signal meanwhile ends the document where this line would start.
  const std::size_t at = flushed();
  begin_flush(at, 0);
  write_out(text.data(), text.size());
  write_out("\n", 1);
  flushed_.store(at + text.size() + 1, std::memory_order_relaxed);
  end_flush();
}

UnitCache g_unit_cache;

OutputUnit& unit(int number) {
  auto& c = g_unit_cache;
  if (c.unit != nullptr && c.number == number) return *c.unit;
  auto& r = registry();
  auto it = r.open.find(number);
  if (it == r.open.end()) it = r.open.emplace(number, connect_now(number)).first;
  c.number = number;
  c.unit = it->second.get();
  return *c.unit;
}

void close_unit(int number) {
  auto& r = registry();
  auto it = r.open.find(number);
  if (it == r.open.end()) return;
  if (is_standard(number)) {
    it->second->flush();
    return;
  }
  if (g_unit_cache.unit == it->second.get()) g_unit_cache.unit = nullptr;
  r.open.erase(it);  // flushes and closes the file
}

bool connect(int number, std::string_view path) {
  if (is_standard(number)) return false;
  if (number == open_plot_unit()) {
    // Reconnecting would split the open document in two files (or blank a
    // rendered one): the document stays where it is.
    std::fprintf(stderr, "plume: cannot connect unit %d to %.*s: the plot on unit %d is still open\n", number,
                 static_cast<int>(path.size()), path.data(), number);
    return false;
  }
  close_unit(number);
  registry().requested_paths[number] = std::string(path);
  return true;
}

void flush_all() {
  for (auto& [number, u] : registry().open) u->flush();
}

int failure_count() { return g_failures; }

}  // namespace plume::device

namespace plume {
bool connect_unit(int unit, std::string_view path) { return device::connect(unit, path); }
int write_failures() { return device::failure_count(); }
}  // namespace plume

extern "C" {
int32_t plume_connect_unit(int32_t unit, const char* path) {
  return plume::connect_unit(unit, path == nullptr ? "" : path) ? 0 : -1;
}
void connect_unit_(const int32_t* unit, const char* path, size_t path_len) {
  std::string_view p(path, path_len);
  while (!p.empty() && p.back() == ' ') p.remove_suffix(1);
  plume::connect_unit(*unit, p);
}
int32_t plume_write_failures(void) { return plume::write_failures(); }
}
