// Documents that importers can crop: the opt-in header box.
#include <gtest/gtest.h>

#include <cstdio>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::draw_document;
using plume::testing::split_lines;

namespace {

void draw_diagonal() {
  plume::plot(2.0f, 2.0f, 3);
  plume::plot(6.0f, 5.0f, 2);
}

// Width and height of what gs -dEPSCrop renders at 72 dpi.
std::pair<int, int> cropped_size(const std::string& path) {
  const std::string ppm = path + ".crop.ppm";
  const std::string cmd = plume::testing::ghostscript() +
                          " -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=ppmraw -r72 -sOutputFile='" + ppm +
                          "' '" + path + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  const auto lines = split_lines(plume::testing::read_file(ppm));
  int w = 0, h = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty() && lines[i][0] == '#') continue;
    std::sscanf(lines[i].c_str(), "%d %d", &w, &h);
    break;
  }
  return {w, h};
}

TEST(Crop, DefaultDocumentHasNoHeaderBox) {
  const auto lines = split_lines(draw_document(draw_diagonal));
  EXPECT_EQ(lines[1], "/pM {stroke newpath moveto} def");
  EXPECT_EQ(lines.back(), "%%BoundingBox:   56   56  170  141");
}

// The box holds the ink: the segment from sheet (61.69, 61.69) to
// (175.07, 146.73) widened by half its 0.3-point width, rounded outward.
TEST(Crop, OptedInPortraitDocumentAnnouncesTheSheetBoxInItsHeader) {
  plume::bounding_box_atend(true);
  std::string path;
  const auto lines = split_lines(draw_document(draw_diagonal, 1, 0, &path));
  EXPECT_EQ(lines[1], "%%BoundingBox:   61   61  176  147");  // filled in at the close
  EXPECT_EQ(lines[lines.size() - 3], "%%Trailer");
  EXPECT_EQ(lines[lines.size() - 2], "%%HiResBoundingBox: 61.543 61.543 175.229 146.882");
  EXPECT_EQ(lines.back(), "%%BoundingBox:   61   61  176  147");
  PLUME_REQUIRE_GHOSTSCRIPT();
  EXPECT_TRUE(plume::testing::renders_cleanly(path));
  EXPECT_EQ(cropped_size(path), std::make_pair(115, 86));
}

TEST(Crop, OptedInLandscapeBoxFollowsTheRotation) {
  plume::bounding_box_atend(true);
  std::string path;
  const auto lines = split_lines(draw_document(draw_diagonal, 0, 0, &path));
  // Page x runs up the sheet, page y leftwards from sheet x 590.
  EXPECT_EQ(lines[1], "%%BoundingBox:  448   61  534  176");
  PLUME_REQUIRE_GHOSTSCRIPT();
  EXPECT_EQ(cropped_size(path), std::make_pair(86, 115));
}

TEST(Crop, OptInAppliesToDocumentsOpenedAfterIt) {
  const auto before = split_lines(draw_document(draw_diagonal));
  plume::bounding_box_atend(true);
  const auto after = split_lines(draw_document(draw_diagonal));
  plume::bounding_box_atend(false);
  const auto again = split_lines(draw_document(draw_diagonal));
  EXPECT_EQ(before.size() + 3, after.size());
  EXPECT_EQ(before.size(), again.size());
  EXPECT_EQ(again[1], "/pM {stroke newpath moveto} def");
  const int32_t on = 1;
  bbox_atend_(&on);
  EXPECT_EQ(split_lines(draw_document(draw_diagonal))[1].substr(0, 14), "%%BoundingBox:");
}

// A pipe's past cannot be rewritten once it has left the buffer.
TEST(Crop, LongDocumentOnAPipeKeepsAtendInTheHeader) {
  plume::bounding_box_atend(true);
  const auto path = plume::testing::temp_path("pipe.eps");
  const std::string fifo = path + ".fifo";
  ASSERT_EQ(std::system(("mkfifo '" + fifo + "' && (cat '" + fifo + "' > '" + path + "' &)").c_str()), 0);
  plume::connect_unit(33, fifo);
  plume::hplots(1, 1, 33, 0);
  for (int i = 0; i < 60000; ++i) draw_diagonal();  // well beyond the unit's buffer
  plume::hplots(0, 0, 33, 0);
  std::string text;
  for (int i = 0; i < 500 && text.find("%%Trailer") == std::string::npos; ++i) {
    std::system("sleep 0.01");
    text = plume::testing::read_file(path);
  }
  const auto lines = split_lines(text);
  ASSERT_GT(lines.size(), 2u);
  EXPECT_EQ(lines[1], "%%BoundingBox: (atend)            ");
  EXPECT_EQ(plume::write_failures(), 0);
}

}  // namespace
