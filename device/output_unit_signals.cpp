// What a program drew survives its crash. Legacy programs die of SIGSEGV
// and friends exactly when their author needs to see the drawing, and a
// user stops a long run with Ctrl-C; either way the lines still in a unit's
// buffer would be lost. The handlers installed here write them out (write(2)
// and pwrite(2) only: no allocation, no stdio), end a plot left open with
// the trailer its close would write, remove the temporary files of PDF, SVG
// and PNG pages being drawn, and then hand the signal on to whatever the
// program had: the default action (the process ends as it would have), or
// the program's own handler, called as the kernel would have called it.
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "device/output_unit.hpp"
#include "device/replacement_file.hpp"

namespace plume::device {
namespace {

constexpr std::array kFatalSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTERM, SIGINT, SIGHUP};
std::array<struct sigaction, kFatalSignals.size()> g_previous{};

// More units than this at once go unwatched (a program has a handful).
constexpr std::size_t kWatchedUnits = 256;
std::array<std::atomic<OutputUnit*>, kWatchedUnits> g_units{};

// Temporary files with names, removed by the handler; each slot holds a
// path once `live` is set.
struct Temporary {
  std::atomic<bool> live{false};
  char path[4096];
};
constexpr std::size_t kWatchedTemporaries = 64;
std::array<Temporary, kWatchedTemporaries> g_temporaries{};

std::size_t signal_index(int signal) {
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
    if (kFatalSignals[i] == signal) return i;
  }
  return kFatalSignals.size();
}

bool is_default(const struct sigaction& action) {
  return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_DFL;
}

void rescue_units(bool ending) {
  char tail[256];
  const std::size_t tail_size = ending ? open_plot_trailer(tail, sizeof tail) : 0;
  const int plot_unit = open_plot_unit();
  for (auto& slot : g_units) {
    OutputUnit* u = slot.load(std::memory_order_relaxed);
    if (u == nullptr) continue;
    const bool plot_here = u->number() == plot_unit;
    u->rescue(ending, plot_here ? tail : nullptr, plot_here ? tail_size : 0);
  }
}

void remove_temporaries() {
  for (auto& t : g_temporaries) {
    if (t.live.load(std::memory_order_acquire)) ::unlink(t.path);
  }
}

// The program's handler, as the kernel would have run it: with its mask
// added, once only if it asked for SA_RESETHAND.
void call_previous(int signal, siginfo_t* info, void* context, const struct sigaction& previous) {
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN) return;
  if ((previous.sa_flags & SA_RESETHAND) != 0) {
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(signal, &dfl, nullptr);
  }
  sigset_t old;
  ::pthread_sigmask(SIG_BLOCK, &previous.sa_mask, &old);
  if ((previous.sa_flags & SA_SIGINFO) != 0) {
    previous.sa_sigaction(signal, info, context);
  } else {
    previous.sa_handler(signal);
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

void on_fatal_signal(int signal, siginfo_t* info, void* context) {
  const int saved_errno = errno;
  const std::size_t i = signal_index(signal);
  if (i == kFatalSignals.size()) return;
  const struct sigaction& previous = g_previous[i];
  const bool ending = is_default(previous);
  rescue_units(ending);
  if (ending) {
    remove_temporaries();
    // The default action, as if this handler had never been there: the
    // signal is blocked while it runs, so it arrives again on return.
    ::sigaction(signal, &previous, nullptr);
    ::raise(signal);
    errno = saved_errno;
    return;
  }
  errno = saved_errno;
  call_previous(signal, info, context, previous);
}

}  // namespace

void watch_unit(OutputUnit* unit) {
  for (auto& slot : g_units) {
    OutputUnit* empty = nullptr;
    if (slot.compare_exchange_strong(empty, unit)) return;
  }
}

void unwatch_unit(OutputUnit* unit) {
  for (auto& slot : g_units) {
    OutputUnit* expected = unit;
    if (slot.compare_exchange_strong(expected, nullptr)) return;
  }
}

int watch_temporary(const std::string& path) {
  if (path.size() >= sizeof(Temporary::path)) return -1;
  for (std::size_t i = 0; i < g_temporaries.size(); ++i) {
    Temporary& t = g_temporaries[i];
    if (t.live.load(std::memory_order_relaxed)) continue;
    std::memcpy(t.path, path.c_str(), path.size() + 1);
    t.live.store(true, std::memory_order_release);
    return static_cast<int>(i);
  }
  return -1;
}

void unwatch_temporary(int slot) {
  if (slot >= 0 && static_cast<std::size_t>(slot) < g_temporaries.size()) {
    g_temporaries[static_cast<std::size_t>(slot)].live.store(false, std::memory_order_release);
  }
}

void guard_against_fatal_signals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
    struct sigaction current {};
    if (::sigaction(kFatalSignals[i], nullptr, &current) != 0) continue;
    // An ignored signal stays ignored (nohup's SIGHUP, a shell's background
    // job's SIGINT).
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) continue;
    g_previous[i] = current;
    struct sigaction ours {};
    ours.sa_sigaction = on_fatal_signal;
    ours.sa_mask = current.sa_mask;
    // Interrupted system calls restart exactly when they did before; the
    // program's alternate stack, if any, is used.
    ours.sa_flags = SA_SIGINFO | SA_ONSTACK | (is_default(current) ? SA_RESTART : current.sa_flags & SA_RESTART);
    ::sigaction(kFatalSignals[i], &ours, nullptr);
  }
}

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool write_all_at(int fd, const char* data, std::size_t size, std::size_t at) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    at += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace plume::device
