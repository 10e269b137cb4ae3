// A plotting program that ends badly on request: it draws a document on
// unit 8, connected to the path given, and then dies the way its second
// argument names, by a real fault where one is easy to make (run.sh checks
// what is left on disk).
//   fault_plotter PATH HOW [MOTIONS]
// HOW: close (a normal run), segv, bus, fpe, ill, abrt (real faults and
// abort()), term, int, hup (the signal sent to itself), render (SIGTERM
// arrives after 50 ms of processor time spent in the close, while the page
// is drawn: processor time, so that a busy machine does not move it).
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plume/plume.h"
#include "plume/plume.hpp"

namespace {

void draw(int motions) {
  for (int i = 0; i < motions; ++i) {
    const auto x = static_cast<float>((std::int64_t{i} * 7919) % 180) / 10.0f;
    const auto y = static_cast<float>((std::int64_t{i} * 104729) % 260) / 10.0f;
    plume::plot(x, y, i % 40 == 0 ? 3 : 2);
    if (i % 500 == 250) plume::newpen(1 + i % 5);
  }
}

// A store to a page that allows none (not a null pointer, which the
// sanitizers would report before the fault).
[[noreturn]] void segmentation_fault() {
  auto* p = static_cast<volatile int*>(::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  if (p == MAP_FAILED) std::abort();
  *p = 1;
  std::abort();
}

[[noreturn]] void bus_error() {
  // A page of a file that has been cut away under its mapping.
  char name[] = "/tmp/plume-fault-XXXXXX";
  const int fd = ::mkstemp(name);
  ::unlink(name);
  if (fd < 0 || ::ftruncate(fd, 8192) != 0) std::abort();
  auto* p = static_cast<volatile char*>(::mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  if (p == MAP_FAILED || ::ftruncate(fd, 0) != 0) std::abort();
  p[4096] = 1;
  std::abort();
}

// SIGTERM once the process has run `ms` milliseconds more.
void terminate_after_cpu(long ms) {
  sigevent event{};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = SIGTERM;
  timer_t timer;
  timespec now{};
  if (::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) != 0 ||
      ::timer_create(CLOCK_PROCESS_CPUTIME_ID, &event, &timer) != 0) {
    std::abort();
  }
  itimerspec when{};
  when.it_value.tv_sec = now.tv_sec + ms / 1000;
  when.it_value.tv_nsec = now.tv_nsec + (ms % 1000) * 1'000'000;
  if (when.it_value.tv_nsec >= 1'000'000'000) {
    when.it_value.tv_sec += 1;
    when.it_value.tv_nsec -= 1'000'000'000;
  }
  if (::timer_settime(timer, TIMER_ABSTIME, &when, nullptr) != 0) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fault_plotter PATH HOW [MOTIONS]\n");
    return 2;
  }
  const std::string how = argv[2];
  const int motions = argc > 3 ? std::atoi(argv[3]) : 3000;
  plume::connect_unit(8, argv[1]);
  plume::hplots(1, 1, 8, 0);
  plume::symbol(1.0f, 27.0f, 0.5f, "FAULT TEST", 0.0f, 10);
  draw(motions);
  volatile int zero = 0, one = 1;
  if (how == "segv") segmentation_fault();
  if (how == "bus") bus_error();
  if (how == "fpe") std::printf("%d\n", one / zero);
  if (how == "ill") __builtin_trap();
  if (how == "abrt") std::abort();
  if (how == "term") ::raise(SIGTERM);
  if (how == "int") ::raise(SIGINT);
  if (how == "hup") ::raise(SIGHUP);
  if (how == "render") terminate_after_cpu(50);
  plume::hplots(0, 0, 8, 0);
  return plume::write_failures() == 0 ? 0 : 1;
}
