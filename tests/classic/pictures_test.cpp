// Classic programs against the same charts drawn through hplots in
// centimetres (every length multiplied by 2.54): the same picture on paper,
// page by page, in EPS (Ghostscript) and in PDF (poppler).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/document.hpp"
#include "support/rendering.hpp"

namespace {

using plume::testing::Picture;

constexpr double kDpi = 100.0;

std::string work_dir(const std::string& name) {
  const std::string dir = plume::testing::temp_path(name);
  EXPECT_EQ(plume::testing::run_command("rm -rf '" + dir + "' && mkdir -p '" + dir + "'"), 0);
  return dir;
}

// Runs the program in a directory of its own; returns the directory.
std::string run_in_own_directory(const std::string& program, const std::string& name, const std::string& args = "") {
  const std::string dir = work_dir(name);
  std::string output;
  EXPECT_EQ(plume::testing::run_command("cd '" + dir + "' && '" + program + "' " + args + " 2>&1", &output), 0)
      << program << ": " << output;
  return dir;
}

testing::AssertionResult same_on_paper(const Picture& reference, const Picture& classic, const std::string& what) {
  if (reference.empty() || classic.empty()) return testing::AssertionFailure() << what << ": a page did not render";
  const auto d = plume::testing::compare(reference, classic, 4);
  if (std::getenv("PLUME_SHOW_DIFFERENCES") != nullptr) std::printf("%s: %s\n", what.c_str(), d.describe().c_str());
  // The path coordinates differ (inches and centimetres, rounded to 0.001
  // point), so an edge may land a pixel apart, which changes a 4-pixel
  // block a little; a mark misplaced or missized by even a fraction of a
  // millimetre changes some block by far more.
  if (d.worst <= 24 && d.width_change == 0 && d.height_change == 0) {
    return testing::AssertionSuccess();
  }
  if (const char* keep = std::getenv("PLUME_KEEP_PICTURES")) {
    plume::testing::write_png(reference, std::string(keep) + "/" + what + "-hplots.png");
    plume::testing::write_png(classic, std::string(keep) + "/" + what + "-classic.png");
  }
  return testing::AssertionFailure() << what << ": " << d.describe();
}

class ClassicPictures : public testing::TestWithParam<const char*> {};

TEST_P(ClassicPictures, EpsPagesAreTheHplotsChartInCentimetres) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  const std::string reference = run_in_own_directory(PLUME_CLASSIC_REFERENCE, std::string("ref-") + GetParam());
  const std::string program = std::string(PLUME_CLASSIC_PROGRAMS) + "/classic_" + GetParam();
  const std::string classic = run_in_own_directory(program, GetParam());
  for (int page = 1; page <= 2; ++page) {
    const Picture a = plume::testing::render_eps(reference + "/fort.8", kDpi, page);
    const Picture b = plume::testing::render_eps(classic + "/fort.8", kDpi, page);
    EXPECT_TRUE(same_on_paper(a, b, std::string(GetParam()) + "-page" + std::to_string(page)));
  }
}

INSTANTIATE_TEST_SUITE_P(Plots, ClassicPictures, testing::Values("plots0", "plots3", "plots4"));

TEST(ClassicPicturesPdf, PinitfPdfPagesAreTheHplotsChartInCentimetres) {
  const std::string reference = run_in_own_directory(PLUME_CLASSIC_REFERENCE, "ref-pdf", "pdf");
  const std::string classic = run_in_own_directory(std::string(PLUME_CLASSIC_PROGRAMS) + "/classic_pinitf", "pdf");
  ASSERT_EQ(plume::testing::pdf_page_count(classic + "/chart.pdf"), 2);
  for (int page = 1; page <= 2; ++page) {
    const Picture a = plume::testing::render_pdf(reference + "/chart.pdf", kDpi, page).cropped_to_ink();
    const Picture b = plume::testing::render_pdf(classic + "/chart.pdf", kDpi, page).cropped_to_ink();
    EXPECT_TRUE(same_on_paper(a, b, "pdf-page" + std::to_string(page)));
  }
}

TEST(ClassicLinking, AProgramWithItsOwnFrameKeepsIt) {
  const std::string dir = work_dir("own-frame");
  std::string output;
  ASSERT_EQ(plume::testing::run_command("cd '" + dir + "' && '" + PLUME_CLASSIC_PROGRAMS + "/classic_own_frame'",
                                        &output), 0);
  EXPECT_EQ(output, "OWN FRAME\n");
  std::string doc = plume::testing::read_file(dir + "/fort.8");
  int pages = 0;
  for (auto at = doc.find("showpage"); at != std::string::npos; at = doc.find("showpage", at + 1)) ++pages;
  EXPECT_EQ(pages, 1) << "the library's frame was not called";
}

}  // namespace
