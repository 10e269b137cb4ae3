// A unit whose buffer cannot be allocated: the failure is reported like a
// write failure, no exception leaves the C or the C++ face, and the units
// connected afterwards write their documents.
//
// This program replaces the array forms of operator new to refuse blocks of
// a megabyte and more while `g_refuse_large_blocks` is set.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

namespace {
bool g_refuse_large_blocks = false;
constexpr std::size_t kLargeBlock = std::size_t{1} << 20;

void* allocate(std::size_t size) {
  if (g_refuse_large_blocks && size >= kLargeBlock) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

void* operator new[](std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using plume::testing::read_file;
using plume::testing::split_lines;
using plume::testing::temp_path;

TEST(UnitBufferAllocation, FailureIsAReportedWriteFailure) {
  const std::string lost = temp_path("lost.eps"), kept = temp_path("kept.eps");
  ASSERT_TRUE(plume::connect_unit(70, lost));
  testing::internal::CaptureStderr();
  g_refuse_large_blocks = true;
  // Through the C face, as a C or Fortran program calls.
  const int32_t open = 1, close = 0, portrait = 1, unit = 70, cm = 0;
  hplots_(&open, &portrait, &unit, &cm);
  const float x = 3.0f, y = 4.0f;
  const int32_t draw = 2;
  plot_(&x, &y, &draw);
  hplots_(&close, &portrait, &unit, &cm);
  g_refuse_large_blocks = false;
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(plume_write_failures(), 1);
  EXPECT_NE(err.find("cannot write unit 70 (" + lost + "): Cannot allocate memory"), std::string::npos) << err;
  EXPECT_EQ(read_file(lost), "");

  // The next document is written whole.
  ASSERT_TRUE(plume::connect_unit(71, kept));
  plume::hplots(1, 1, 71, 0);
  plume::plot(3.0f, 4.0f, 2);
  plume::hplots(0, 0, 71, 0);
  EXPECT_EQ(plume::write_failures(), 1);
  const auto lines = split_lines(read_file(kept));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "%!PS-Adobe-2.0 EPSF-2.0");
  EXPECT_EQ(lines.back().rfind("%%BoundingBox:", 0), 0u);
}

}  // namespace
