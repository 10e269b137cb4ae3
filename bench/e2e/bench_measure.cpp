// Runs one program and measures it: wall time, CPU time and peak resident
// memory (ru_maxrss of wait4). A launcher of its own, because a child forked
// by a large process (the Python driver) would report the parent's resident
// pages as its own peak: here the child is forked from this small program.
//
// Before the start it writes and deletes a scratch file of WARM_MIB in
// WARM_DIR, the directory of the program's output (see warm.hpp).
//
// Usage: bench_measure RESULT_FILE TIMEOUT_S WARM_MIB WARM_DIR PROGRAM [ARGS...]
// Writes "seconds cpu_seconds max_rss_kib" to RESULT_FILE and exits with the
// program's status (128 + signal when it was killed, 124 on the timeout).
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/e2e/warm.hpp"

namespace {

volatile sig_atomic_t g_child = 0;
volatile sig_atomic_t g_timed_out = 0;

void on_alarm(int) {
  g_timed_out = 1;
  if (g_child > 0) ::kill(g_child, SIGKILL);
}

double seconds_of(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: bench_measure RESULT_FILE TIMEOUT_S WARM_MIB WARM_DIR PROGRAM [ARGS...]\n");
    return 2;
  }
  const unsigned timeout = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
  const std::size_t warm_mib = std::strtoul(argv[3], nullptr, 10);
  struct sigaction action {};
  action.sa_handler = on_alarm;
  ::sigaction(SIGALRM, &action, nullptr);

  plume::bench::warm_page_cache(argv[4], warm_mib << 20);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) {
    std::perror("fork");
    return 2;
  }
  if (child == 0) {
    ::execv(argv[5], argv + 5);
    std::perror(argv[5]);
    ::_exit(127);
  }
  g_child = child;
  if (timeout > 0) ::alarm(timeout);
  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::perror("wait4");
      return 2;
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

  std::FILE* result = std::fopen(argv[1], "w");
  if (result == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  std::fprintf(result, "%.6f %.6f %ld\n", elapsed.count(),
               seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime), usage.ru_maxrss);
  std::fclose(result);
  if (g_timed_out) return 124;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
