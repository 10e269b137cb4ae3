// Output stays where it belongs: a forked child never writes its parent's
// buffered lines, a document never takes the descriptors of the standard
// streams, and a document on unit 6 keeps its place among the program's own
// C stdio lines. Each case runs in a forked child whose standard streams it
// may rearrange; the parent reads the files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

}  // namespace
