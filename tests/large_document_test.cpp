// Documents larger than the output buffer: every byte arrives in order,
// write errors are reported once with the bytes before them kept, and a
// process forked in the middle of a document can write its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "device/format.hpp"
#include "device/output_unit.hpp"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::read_file;
using plume::testing::split_lines;
using plume::testing::temp_path;

namespace {

constexpr int kMotions = 300'000;  // about 8 MB: several buffers

// Motion i of a polyline over the whole page, in points (units of 20 points
// scaled by 0.05).
float x_of(int i) { return static_cast<float>(i % 5000) * 0.11f; }
float y_of(int i) { return static_cast<float>(i % 7919) * 0.1f; }

void draw_polyline(int unit, int motions) {
  plume::hplots(1, 1, unit, 2);
  plume::factor(0.05f);
  for (int i = 0; i < motions; ++i) plume::plot(x_of(i), y_of(i), i % 1001 == 0 ? 3 : 2);
  plume::hplots(0, 0, unit, 0);
}

std::string path_line(float x, float y, const char* op) {
  char text[64];
  char* p = plume::fmt::write_operand(text, x, 11, 3);
  *p++ = ' ';
  p = plume::fmt::write_operand(p, y, 10, 3);
  return std::string(text, p) + op;
}

TEST(LargeDocument, EveryLineArrivesInOrder) {
  const std::string path = temp_path("large.eps");
  ASSERT_TRUE(plume::connect_unit(50, path));
  draw_polyline(50, kMotions);
  EXPECT_EQ(plume::write_failures(), 0);
  const auto lines = split_lines(read_file(path));
  const auto& head = plume::testing::first_portrait_head();
  ASSERT_GT(lines.size(), head.size() + kMotions);
  std::size_t at = head.size();
  int counted = 0;
  for (int i = 0; i < kMotions; ++i) {
    ASSERT_EQ(lines[at++], path_line(x_of(i), y_of(i), i % 1001 == 0 ? " pQ" : " pL")) << "motion " << i;
    if (++counted > 1000) {  // the path is restarted after 1000 counted motions
      ASSERT_EQ(lines[at++], path_line(x_of(i), y_of(i), " pM")) << "motion " << i;
      counted = 0;
    }
  }
  EXPECT_EQ(lines[at], "stroke");
  EXPECT_EQ(lines.back().rfind("%%BoundingBox:", 0), 0u) << lines.back();
}

TEST(LargeDocument, WriteErrorIsReportedOnceAndTheBytesBeforeItStay) {
  // A regular file that cannot grow beyond 3 MiB: writes past it fail.
  constexpr rlim_t kLimit = 3u << 20;
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{kLimit, kLimit};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const std::string path = temp_path("limited.eps");
  ASSERT_TRUE(plume::connect_unit(51, path));
  testing::internal::CaptureStderr();
  draw_polyline(51, kMotions);
  const auto err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(plume::write_failures(), 1);
  EXPECT_NE(err.find("cannot write unit 51 (" + path + "): File too large"), std::string::npos) << err;
  EXPECT_EQ(err.find("cannot write", err.find("cannot write") + 1), std::string::npos) << err;
  const std::string text = read_file(path);
  EXPECT_EQ(text.size(), kLimit);
  const auto lines = split_lines(text.substr(0, text.rfind('\n') + 1));
  const std::size_t first = plume::testing::first_portrait_head().size();
  ASSERT_GT(lines.size(), first + 1000);
  EXPECT_EQ(lines[first], path_line(x_of(0), y_of(0), " pQ"));
  EXPECT_EQ(lines[first + 1000], path_line(x_of(1000), y_of(1000), " pL"));
}

TEST(LargeDocument, ForkedChildWritesADocumentOfItsOwn) {
  const std::string parent_path = temp_path("parent.eps"), child_path = temp_path("child.eps");
  ASSERT_TRUE(plume::connect_unit(52, parent_path));
  plume::hplots(1, 1, 52, 2);
  plume::factor(0.05f);
  for (int i = 0; i < kMotions; ++i) plume::plot(x_of(i), y_of(i), 2);  // buffers in flight
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(60);  // a child that hangs fails the test instead of blocking it
    // The parent's plot is still open here: the child writes lines of its own.
    plume::connect_unit(53, child_path);
    for (int i = 0; i < kMotions; ++i) plume::device::unit(53).write_line("child line " + std::to_string(i));
    plume::device::close_unit(53);
    ::_exit(plume::write_failures() == 0 ? 0 : 1);
  }
  for (int i = 0; i < kMotions; ++i) plume::plot(x_of(i), y_of(i), 2);
  plume::hplots(0, 0, 52, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const auto child_lines = split_lines(read_file(child_path));
  ASSERT_EQ(child_lines.size(), static_cast<std::size_t>(kMotions));
  for (int i = 0; i < kMotions; i += 997) ASSERT_EQ(child_lines[i], "child line " + std::to_string(i));
  const auto parent_lines = split_lines(read_file(parent_path));
  EXPECT_EQ(parent_lines.back().rfind("%%BoundingBox:", 0), 0u);
  EXPECT_GT(parent_lines.size(), 2u * kMotions);
}

}  // namespace
