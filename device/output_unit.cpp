#include "device/output_unit.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "plume/plume.hpp"
#include "plume/records.h"

namespace plume::device {
namespace {

int g_failures = 0;

struct Registry {
  std::map<int, std::unique_ptr<OutputUnit>> open;
  std::map<int, std::string> requested_paths;
};

Registry& registry() {
  static Registry* r = [] {
    std::atexit(flush_all);
    return new Registry;  // never destroyed: units must outlive static destructors
  }();
  return *r;
}

bool is_standard(int number) { return number == 0 || number == 5 || number == 6; }

std::unique_ptr<OutputUnit> connect_now(int number) {
  auto& r = registry();
  if (is_standard(number)) {
    const int fd = number == 0 ? 2 : number == 6 ? 1 : 0;
    const char* name = number == 0 ? "standard error" : number == 6 ? "standard output" : "standard input";
    return std::make_unique<OutputUnit>(number, name, fd, false);
  }
  std::string path = "fort." + std::to_string(number);
  if (auto it = r.requested_paths.find(number); it != r.requested_paths.end()) {
    path = it->second;
    r.requested_paths.erase(it);
  }
  if (const auto format = format_of_path(path); format != OutputFormat::eps) {
    std::string reason;
    auto sink = make_render_sink(format, path, reason);
    if (!sink) {
      std::fprintf(stderr, "plume: cannot open unit %d (%s): %s\n", number, path.c_str(), reason.c_str());
      ++g_failures;
      return std::make_unique<OutputUnit>(number, path, -1, false);
    }
    return std::make_unique<OutputUnit>(number, path, std::move(sink));
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
    : number_(number), path_(std::move(path)), fd_(fd), owns_fd_(owns_fd),
      failed_(fd < 0), buffer_(new char[kCapacity]) {
  struct stat st {};
  background_ = owns_fd && fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

OutputUnit::OutputUnit(int number, std::string path, std::unique_ptr<UnitSink> sink)
    : number_(number), path_(std::move(path)), fd_(-1), owns_fd_(false), buffer_(new char[kCapacity]),
      sink_(std::move(sink)) {}

OutputUnit::~OutputUnit() {
  flush();
  if (sink_ && !failed_ && !sink_->finish()) fail(sink_->reason());
  if (owns_fd_ && fd_ >= 0 && ::close(fd_) != 0) fail(errno);
  delete[] buffer_;
  delete[] spare_;
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

// The one place bytes leave the buffer in the foreground.
void OutputUnit::write_all(const char* data, std::size_t size) {
  if (failed_) return;
  if (observer_ != nullptr) observer_->consume(data, size);
  if (sink_) {
    if (!sink_->consume(data, size)) fail(sink_->reason());
    return;
  }
  if (const int error = write_fully(fd_, data, size); error != 0) fail(error);
}

void OutputUnit::settle() {
  if (!pending_.active()) return;
  if (const int error = pending_.wait(); error != 0) fail(error);
}

void OutputUnit::flush() {
  settle();
  if (used_ > 0 && !failed_) write_all(buffer_, used_);
  flushed_ += used_;
  used_ = 0;
}

void OutputUnit::spill() {
  if (!background_ || observer_ != nullptr) {
    flush();
    return;
  }
  settle();
  if (used_ > 0 && !failed_) {
    if (spare_ == nullptr) spare_ = new char[kCapacity];
    if (pending_.start(fd_, buffer_, used_)) {
      std::swap(buffer_, spare_);
    } else {
      write_all(buffer_, used_);
    }
  }
  flushed_ += used_;
  used_ = 0;
}

bool OutputUnit::overwrite(std::size_t at, std::string_view text) {
  if (failed_ || at + text.size() > offset()) return false;
  if (at >= flushed_) {
    std::memcpy(buffer_ + (at - flushed_), text.data(), text.size());
    return true;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
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
  write_all(text.data(), text.size());
  write_all("\n", 1);
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
