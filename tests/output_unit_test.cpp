// Output stays where it belongs: a forked child never writes its parent's
// buffered lines, a document never takes the descriptors of the standard
// streams, a document on unit 6 keeps its place among the program's own
// C stdio lines, a signal hands on to the program's own handler with the
// lines written, and an open plot keeps its unit. Each case runs in a
// forked child whose standard streams it may rearrange; the parent reads
// the files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::read_file;
using plume::testing::split_lines;
using plume::testing::temp_path;

namespace {

constexpr int kMotions = 20'000;  // about 500 kB: all of it still buffered

void draw_motions(int motions) {
  for (int i = 0; i < motions; ++i) {
    plume::plot(static_cast<float>(i % 19), static_cast<float>(i % 27), i % 50 != 0 ? 2 : 3);
  }
}

// Runs body in a forked child (which ends through exit(), so that what the
// library does at exit is part of the test); the child's exit status.
int in_child(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(60);
    body();
    std::exit(0);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

long count_lines_starting(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

TEST(OutputUnit, ForkedChildExitingNeverWritesTheParentsLines) {
  const std::string path = temp_path("parent.eps");
  ASSERT_TRUE(plume::connect_unit(60, path));
  plume::hplots(1, 1, 60, 0);
  draw_motions(kMotions);
  // The child ends through exit() with the parent's plot open and buffered.
  ASSERT_EQ(in_child([] {}), 0);
  // A child that draws a document of its own writes that one, and only it.
  const std::string child_path = temp_path("child.eps");
  ASSERT_EQ(in_child([&] {
              plume::connect_unit(61, child_path);
              plume::hplots(1, 1, 61, 0);
              draw_motions(100);
              plume::hplots(0, 0, 61, 0);
            }),
            0);
  draw_motions(kMotions);
  plume::hplots(0, 0, 60, 0);

  const auto lines = split_lines(read_file(path));
  EXPECT_EQ(count_lines_starting(lines, "%!PS-Adobe"), 1);
  EXPECT_EQ(count_lines_starting(lines, "%%BoundingBox:"), 1);
  const auto motions = count_lines_starting(lines, " ");
  EXPECT_GE(motions, 2 * kMotions);
  EXPECT_LT(motions, 2 * kMotions + 2 * kMotions / 1000 + 50);  // restarts and pen lines, no copies
  const auto child_lines = split_lines(read_file(child_path));
  EXPECT_EQ(count_lines_starting(child_lines, "%!PS-Adobe"), 1);
  EXPECT_EQ(child_lines.back().rfind("%%BoundingBox:", 0), 0u);
  EXPECT_LT(child_lines.size(), 200u);
}

// With standard output or standard error closed, a document opened as the
// lowest free descriptor would receive what the program writes to that
// stream later (traceplot's error messages, say).
TEST(OutputUnit, DocumentsNeverTakeTheStandardStreamsDescriptors) {
  for (const int closed : {1, 2}) {
    const std::string path = temp_path("closed-" + std::to_string(closed) + ".eps");
    ASSERT_EQ(in_child([&] {
                ::close(closed);
                plume::connect_unit(62, path);
                plume::hplots(1, 1, 62, 0);
                plume::plot(1, 1, 3);
                std::fprintf(closed == 1 ? stdout : stderr, "stray line\n");
                std::fflush(nullptr);
                plume::plot(2, 2, 2);
                plume::hplots(0, 0, 62, 0);
                std::exit(plume::write_failures() == 0 ? 0 : 3);
              }),
              0)
        << "descriptor " << closed << " closed";
    const std::string text = read_file(path);
    EXPECT_EQ(text.find("stray"), std::string::npos) << "descriptor " << closed << " closed:\n" << text;
    const auto lines = split_lines(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "%!PS-Adobe-2.0 EPSF-2.0");
    EXPECT_EQ(lines.back().rfind("%%BoundingBox:", 0), 0u);
  }
}

// Standard output redirected to a file, as a shell does: stdio buffers it
// fully, the library buffers its own lines.
std::vector<std::string> stdout_lines_of(const std::string& name, const std::function<void()>& body) {
  const std::string path = temp_path(name);
  const int status = in_child([&] {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::dup2(fd, 1) < 0) std::_Exit(126);
    ::close(fd);
    body();
  });
  EXPECT_EQ(status, 0);
  return split_lines(read_file(path));
}

void draw_on_unit_6() {
  plume::hplots(1, 1, 6, 0);
  plume::plot(1, 1, 3);
  plume::plot(4, 3, 2);
  plume::hplots(0, 0, 6, 0);
}

TEST(OutputUnit, Unit6KeepsItsPlaceAmongTheProgramsStdioLines) {
  const auto lines = stdout_lines_of("stdout.txt", [] {
    std::printf("BEFORE\n");
    draw_on_unit_6();
    std::printf("AFTER\n");
  });
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "BEFORE");
  EXPECT_EQ(lines[1], "%!PS-Adobe-2.0 EPSF-2.0");
  EXPECT_EQ(lines[lines.size() - 2].rfind("%%BoundingBox:", 0), 0u);
  EXPECT_EQ(lines.back(), "AFTER");

  // The C face and a plot left open until exit: the same order.
  const auto at_exit = stdout_lines_of("stdout-exit.txt", [] {
    std::printf("BEFORE\n");
    const int32_t open = 1, portrait = 1, unit = 6, cm = 0;
    hplots_(&open, &portrait, &unit, &cm);
  });
  ASSERT_GE(at_exit.size(), 2u);
  EXPECT_EQ(at_exit[0], "BEFORE");
  EXPECT_EQ(at_exit[1], "%!PS-Adobe-2.0 EPSF-2.0");
}

// The document of a plot on `unit` drawn with draw_motions(motions),
// optionally with `between` run half way.
void plot_motions(int unit, const std::string& path, int motions, const std::function<void()>& between = {}) {
  plume::connect_unit(unit, path);
  plume::hplots(1, 1, unit, 0);
  draw_motions(motions / 2);
  if (between) between();
  draw_motions(motions - motions / 2);
  plume::hplots(0, 0, unit, 0);
}

std::atomic<int> g_handled{0};
std::atomic<int> g_handled_signo{0};

void count_signal(int signal, siginfo_t* info, void*) {
  g_handled.fetch_add(1);
  g_handled_signo = info != nullptr ? info->si_signo : -signal;
}

void leave_at_once(int) { ::_exit(3); }

// A handler the program installed before its first plot still runs, once,
// with its siginfo and its SA_RESTART; when it returns, the program goes on
// and its document is byte for byte the one drawn without the signal.
TEST(OutputUnit, ProgramsOwnHandlerRunsAndTheDocumentStaysWhole) {
  const std::string quiet = temp_path("no-signal.eps"), signalled = temp_path("signalled.eps");
  ASSERT_EQ(in_child([&] { plot_motions(66, quiet, 2000); }), 0);
  ASSERT_EQ(in_child([&] {
              struct sigaction own {};
              own.sa_sigaction = count_signal;
              own.sa_flags = SA_SIGINFO | SA_RESTART;
              ::sigaction(SIGINT, &own, nullptr);
              int restart_kept = 0;
              plot_motions(66, signalled, 2000, [&] {
                struct sigaction now {};
                ::sigaction(SIGINT, nullptr, &now);
                restart_kept = (now.sa_flags & SA_RESTART) != 0;
                ::raise(SIGINT);
              });
              std::exit(g_handled == 1 && g_handled_signo == SIGINT && restart_kept ? 0 : 4);
            }),
            0);
  EXPECT_EQ(read_file(signalled), read_file(quiet));
}

// A handler that ends the process at once finds the lines drawn so far in
// the file already.
TEST(OutputUnit, ProgramsHandlerThatExitsFindsTheLinesWritten) {
  const std::string path = temp_path("left.eps");
  ASSERT_EQ(in_child([&] {
              ::signal(SIGTERM, leave_at_once);
              plume::connect_unit(67, path);
              plume::hplots(1, 1, 67, 0);
              draw_motions(3000);
              ::raise(SIGTERM);
            }),
            3);
  const auto lines = split_lines(read_file(path));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "%!PS-Adobe-2.0 EPSF-2.0");
  EXPECT_GE(count_lines_starting(lines, " "), 3000);
  // The program went on in its own way: no trailer was made up for it.
  EXPECT_EQ(count_lines_starting(lines, "%%BoundingBox:"), 0);
}

// A handler installed after the first plot replaces the library's, which
// then does nothing at all, in that plot and the next: the lines stay in
// the buffer until the close.
TEST(OutputUnit, HandlerInstalledAfterTheFirstPlotIsLeftAlone) {
  const std::string path = temp_path("later-handler.eps");
  ASSERT_EQ(in_child([&] {
              plot_motions(68, temp_path("first-plot.eps"), 10);
              struct sigaction own {};
              own.sa_sigaction = count_signal;
              own.sa_flags = SA_SIGINFO;
              ::sigaction(SIGTERM, &own, nullptr);
              plume::connect_unit(68, path);
              plume::hplots(1, 1, 68, 0);
              draw_motions(1000);
              ::raise(SIGTERM);
              const bool untouched = read_file(path).empty();
              draw_motions(1000);
              plume::hplots(0, 0, 68, 0);
              std::exit(g_handled == 1 && untouched ? 0 : 4);
            }),
            0);
  EXPECT_EQ(split_lines(read_file(path)).back().rfind("%%BoundingBox:", 0), 0u);
}

// The document of a plot that is open stays in its file: connecting its
// unit elsewhere is refused and said.
TEST(OutputUnit, ConnectingTheOpenPlotsUnitIsRefused) {
  const std::string path = temp_path("kept.eps"), elsewhere = temp_path("elsewhere.eps");
  ASSERT_TRUE(plume::connect_unit(69, path));
  plume::hplots(1, 1, 69, 0);
  plume::plot(1, 1, 3);
  plume::plot(2, 2, 2);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(plume::connect_unit(69, elsewhere));
  EXPECT_EQ(plume_connect_unit(69, elsewhere.c_str()), -1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot connect unit 69 to " + elsewhere + ": the plot on unit 69 is still open"),
            std::string::npos)
      << err;
  plume::plot(3, 1, 2);
  plume::hplots(0, 0, 69, 0);
  const auto lines = split_lines(read_file(path));
  EXPECT_EQ(count_lines_starting(lines, "%!PS-Adobe"), 1);
  EXPECT_EQ(count_lines_starting(lines, "     85.039     28.346 pL"), 1);
  EXPECT_EQ(lines.back(), "%%BoundingBox:   28   28   85   56");
  EXPECT_FALSE(std::ifstream(elsewhere).good());
  // Once the plot is closed the unit may go anywhere.
  EXPECT_TRUE(plume::connect_unit(69, elsewhere));
}

// Opening a plot while another is open closes that one first, as its own
// close would, and says so.
TEST(OutputUnit, OpeningWhileAPlotIsOpenClosesItFirst) {
  const std::string first = temp_path("first.eps"), second = temp_path("second.eps");
  plume::connect_unit(70, first);
  plume::hplots(1, 1, 70, 0);
  plume::plot(1, 1, 3);
  plume::plot(2, 2, 2);
  testing::internal::CaptureStderr();
  plume::connect_unit(71, second);
  plume::hplots(1, 1, 71, 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("a plot opened on unit 71 while the plot on unit 70 was open: that plot closed first"),
            std::string::npos)
      << err;
  plume::plot(3, 3, 2);
  plume::hplots(0, 0, 71, 0);
  for (const auto& path : {first, second}) {
    const auto lines = split_lines(read_file(path));
    EXPECT_EQ(count_lines_starting(lines, "%!PS-Adobe"), 1) << path;
    EXPECT_EQ(count_lines_starting(lines, "showpage"), 1) << path;
    EXPECT_EQ(lines.back().rfind("%%BoundingBox:", 0), 0u) << path;
  }
  EXPECT_EQ(split_lines(read_file(first)).back(), "%%BoundingBox:   28   28   56   56");
}

// C++ documents opened inside one another: the inner one closes the outer
// (said on standard error), and the outer's destructor then has nothing to
// close: no stray trailer in a fort.<n> file.
TEST(OutputUnit, NestedDocumentsEachGetOneWholeDocument) {
  const std::string outer = temp_path("outer.eps"), inner = temp_path("inner.eps");
  const auto fort_files = [] {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(".")) n += e.path().filename().string().rfind("fort.2", 0) == 0;
    return n;
  };
  const int before = fort_files();
  testing::internal::CaptureStderr();
  {
    plume::Document a{outer};
    plume::plot(1, 1, 3);
    plume::plot(2, 2, 2);
    {
      plume::Document b{inner};
      plume::plot(3, 3, 2);
    }
  }
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(fort_files(), before);
  for (const auto& path : {outer, inner}) {
    const auto lines = split_lines(read_file(path));
    EXPECT_EQ(count_lines_starting(lines, "%!PS-Adobe"), 1) << path;
    EXPECT_EQ(lines.back().rfind("%%BoundingBox:", 0), 0u) << path;
  }
}

}  // namespace
