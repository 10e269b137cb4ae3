// PDF, SVG and PNG from the same calls: each page of each format looks like
// the EPS rendered by Ghostscript, cropped to its ink; the PDFs are sound
// and embed their fonts; pages go where they should.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"
#include "support/rendering.hpp"

namespace fs = std::filesystem;
using plume::testing::Picture;

namespace {

constexpr double kDpi = 200;
constexpr int kUnit = 31;
// Two rasterizers put the edges of a line or fill up to a pixel apart and
// shade them differently; over blocks of about a millimetre (a 25th of an
// inch) that averages out. A wrong colour or a missing clip moves whole
// blocks by far more.
constexpr double kMeanTolerance = 4.0;
constexpr double kShareTolerance = 0.01;
constexpr int kSizeTolerance = 3;  // pixels

using Draw = std::function<void()>;

std::string page_path(const std::string& path, int page) {
  if (page == 1) return path;
  const auto dot = path.rfind('.');
  std::string out(path, 0, dot);
  out += '-';
  out += std::to_string(page);
  out.append(path, dot);
  return out;
}

void write_plot(const std::string& path, const Draw& draw, int orientation) {
  plume::connect_unit(kUnit, path);
  plume::hplots(1, orientation, kUnit, 0);
  draw();
  plume::hplots(0, 0, kUnit, 0);
}

// The same drawing as EPS, PDF, SVG and PNG; returns the base path.
std::string write_all_formats(const std::string& name, const std::function<void(const std::string&)>& write) {
  plume::raster_dpi(static_cast<int>(kDpi));
  const std::string base = plume::testing::temp_path(name);
  for (const char* ext : {".eps", ".pdf", ".svg", ".png"}) write(base + ext);
  return base;
}

// Where the pictures of a failed comparison are kept for a look; empty:
// nowhere.
std::string keep_failures_in() {
  const char* dir = std::getenv("PLUME_KEEP_PICTURES");
  return dir != nullptr ? dir : "";
}

testing::AssertionResult alike(const Picture& reference, const Picture& other, const std::string& what,
                               double dpi) {
  if (reference.empty() || other.empty()) {
    if (reference.empty() && other.empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << what << ": one page is blank, the other is not";
  }
  const auto d = plume::testing::compare(reference, other, static_cast<int>(std::lround(dpi / 25)));
  if (std::getenv("PLUME_SHOW_DIFFERENCES") != nullptr) std::printf("%s: %s\n", what.c_str(), d.describe().c_str());
  if (d.mean <= kMeanTolerance && d.share_over_96 <= kShareTolerance && std::abs(d.width_change) <= kSizeTolerance &&
      std::abs(d.height_change) <= kSizeTolerance) {
    return testing::AssertionSuccess();
  }
  if (const std::string dir = keep_failures_in(); !dir.empty()) {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    static int n = 0;
    const std::string stem = dir + "/" + name + "-" + std::to_string(++n) + "-" + what;
    plume::testing::write_png(reference, stem + "-eps.png");
    plume::testing::write_png(other, stem + ".png");
  }
  return testing::AssertionFailure() << what << " differs from the EPS: " << d.describe();
}

// Every page of every format against the EPS through Ghostscript, at the
// resolution of the PNG.
void expect_same_pictures(const std::string& base, int pages, double dpi = kDpi) {
  ASSERT_EQ(plume::testing::pdf_page_count(base + ".pdf"), pages);
  for (int page = 1; page <= pages; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    std::string error;
    const Picture eps = plume::testing::render_eps(base + ".eps", dpi, page, &error).cropped_to_ink();
    ASSERT_TRUE(error.empty()) << error;
    const Picture pdf = plume::testing::render_pdf(base + ".pdf", dpi, page, &error).cropped_to_ink();
    ASSERT_TRUE(error.empty()) << error;
    const Picture svg = plume::testing::render_svg(page_path(base + ".svg", page), dpi, &error).cropped_to_ink();
    ASSERT_TRUE(error.empty()) << error;
    const Picture png = plume::testing::read_png(page_path(base + ".png", page));
    ASSERT_FALSE(png.empty()) << page_path(base + ".png", page);
    EXPECT_TRUE(alike(eps, pdf, "PDF", dpi));
    EXPECT_TRUE(alike(eps, svg, "SVG", dpi));
    EXPECT_TRUE(alike(eps, png.cropped_to_ink(), "PNG", dpi));
  }
  EXPECT_FALSE(fs::exists(page_path(base + ".svg", pages + 1)));
  EXPECT_FALSE(fs::exists(page_path(base + ".png", pages + 1)));
}

struct Case {
  const char* name;
  int orientation;
  int pages;
  Draw draw;
};

const float kXs[] = {1, 2, 3, 4, 5, 6};
const float kYs[] = {1, 3, 2, 5, 4, 6};

void some_lines() {
  plume::plot(1, 1, 3);
  plume::plot(8, 2, 2);
  plume::plot(3, 7, 2);
  plume::plot(1, 1, 2);
}

// One case per drawing feature, each filling a few centimetres.
const std::vector<Case>& feature_cases() {
  static const std::vector<Case> cases = {
      {"motions_and_widths", 1, 1,
       [] {
         for (int pen = 0; pen <= 6; ++pen) {
           plume::newpen(pen);
           plume::plot(1, 1 + pen, 3);
           plume::plot(8, 1 + pen, 2);
           plume::plot(9, 2.5f + pen, 2);
         }
         plume::plot(10, 1, 3);
         plume::plot(10, 1, 3);  // pQ then pM
         plume::plot(12, 5, 2);
       }},
      {"indexed_colours_and_tones", 1, 1,
       [] {
         for (int c = 0; c < 8; ++c) {
           for (int tone = 0; tone <= 6; tone += 2) {
             plume::pen(4, tone);
             plume::color(c);
             plume::plot(1 + c, 1 + tone, 3);
             plume::plot(1.8f + c, 2 + tone, 2);
           }
         }
         plume::rgbcolor(0.2f, 0.5f, 0.9f);
         plume::xrectangle(10, 1, 3, 2, 1);
       }},
      {"dash_patterns", 1, 1,
       [] {
         plume::newpen(2);
         for (int p = -1; p <= 8; ++p) {
           plume::dashln(p);
           plume::plot(1, 2 + p, 3);
           plume::plot(12, 2 + p, 2);
         }
         plume::dashln(-1);
       }},
      {"rectangles", 1, 1,
       [] {
         plume::rectangle(1, 1, 3, 2);
         plume::xrectangle(5, 3, 3, -2, 1);  // a negative height, on the sheet
         plume::color(4);
         plume::rect(1, 5, 4, 7);
         plume::color(2);
         plume::xrect(6, 5, 9, 8, 1);
       }},
      {"dashed_rectangles_of_every_sign", 1, 1,
       [] {
         // Long dashes on thick outlines: each rectangle's dashes show the
         // corner its outline starts at and the way it goes round.
         plume::newpen(8);
         plume::dashln(3);
         plume::rectangle(1, 1, 5, 3);
         plume::rectangle(13, 1, -5, 3);
         plume::rectangle(1, 9, 5, -3);
         plume::rectangle(13, 9, -5, -3);
         plume::dashln(-1);
       }},
      {"miters_on_a_later_page", 1, 2,
       [] {
         some_lines();
         // After a new page the joins are PostScript's default miters: a
         // sharp turn of a thick line reaches far beyond its points.
         plume::newpage();
         plume::newpen(20);
         plume::plot(1, 1, 3);
         plume::plot(9, 2, 2);
         plume::plot(1, 3, 2);
         plume::plot(2, 1.5f, 3);
         plume::plot(2.5f, 9, 2);
         plume::plot(3, 1.5f, 2);
       }},
      {"arcs_circles_fills", 1, 1,
       [] {
         plume::arc(2, 2, 1, 0, 90);
         plume::circle(5, 2, 1);
         plume::xarc(8, 2, 1, 30, 300, 1);
         plume::xcircle(11, 2, 1, 0);
         plume::xcircle(2, 6, 1.2f, 1);
         plume::circle(5, 6, 1);
         plume::xfillup(4, 2);
         plume::arc(8, 6, 1, 180, 90);
         plume::plot(10, 8, 2);
         plume::fillup();
       }},
      {"viewport_clipping", 1, 1,
       [] {
         plume::viewport(2, 2, 8, 6);
         plume::newpen(3);
         plume::color(1);
         some_lines();
         plume::xcircle(8, 6, 2, 1);
         plume::viewport(3, 3, 12, 4);
         plume::plot(0, 0, 3);
         plume::plot(14, 8, 2);
       }},
      {"pages", 1, 3,
       [] {
         some_lines();
         plume::newpage();
         plume::circle(4, 4, 2);
         plume::newpage();
         plume::xrectangle(2, 2, 8, 4, 1);
       }},
      {"stroke_text_and_markers", 1, 1,
       [] {
         plume::symbol(1, 1, 0.6f, "Stroke text 123", 0, 15);
         plume::symbol(1, 3, 0.5f, "rotated", 30, 7);
         for (int m = 0; m < 14; ++m) plume::symbol(1 + m * 0.9f, 6, 0.4f, m, 0, -1);
       }},
      {"postscript_fonts", 1, 1,
       [] {
         const int fonts[] = {1, 2, 3, 4, 5, 6, 7, 11, 13, 14, 20};
         float y = 1;
         for (const int f : fonts) {
           plume::xsymbol(1, y, 0.4f, "Plume (fonts) 0.5", 0, 17, f);
           y += 0.8f;
         }
         plume::xsymbol(10, 1, 0.5f, "turned", 60, 6, 1);
         plume::xnumber(10, 6, 0.4f, 3.14159f, 0, 3, 11);
       }},
      {"text_beyond_ascii", 1, 1,
       [] {
         // Latin-1 letters and signs in UTF-8, and what no font shows: the
         // same letters and question marks in every format.
         const std::string_view texts[] = {
             "Temp\xC3\xA9rature -5 \xC2\xB0" "C", "na\xC3\xAFve se\xC3\xB1or M\xC3\xBCller \xC3\x86\xC3\xB8",
             "\xC2\xB1\xC2\xB5 \xC2\xAB\xC3\x9F\xC2\xBB \xC3\xBF", "bad \xFF \xE2\x82\xAC \\b \\351 end",
         };
         const int fonts[] = {1, 11, 2, 7};
         for (int k = 0; k < 4; ++k) {
           plume::xsymbol(1, 1 + 1.2f * k, 0.5f, texts[k], 0, static_cast<int>(texts[k].size()), fonts[k]);
         }
         plume::xsymbol(1, 6, 0.5f, "a\xB0\xB1\x7F", 0, 4, 20);
         plume::xsymbol(1, 7.2f, 0.5f, "\xC3\xA9t\xC3\xA9", 0, 5, 3);
       }},
      {"origin_and_factor", 1, 1,
       [] {
         some_lines();
         plume::origin(3, 2, 1);
         plume::factor(0.5f);
         some_lines();
         plume::xsymbol(1, 1, 0.6f, "half size", 0, 9, 2);
       }},
      {"landscape_annotation", 0, 1,
       [] {
         plume::axis(2, 2, "time (s)", -8, 10, 0, 0, 1);
         plume::axis(2, 2, "amplitude", 9, 6, 90, -3, 1);
         plume::line(kXs, kYs, 6, 1, 1, 3);
       }},
  };
  return cases;
}

class FeatureCase : public testing::TestWithParam<Case> {};

TEST_P(FeatureCase, EveryFormatLooksLikeTheEps) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  const Case& c = GetParam();
  const std::string base =
      write_all_formats(c.name, [&](const std::string& path) { write_plot(path, c.draw, c.orientation); });
  EXPECT_EQ(plume::write_failures(), 0);
  expect_same_pictures(base, c.pages);
}

INSTANTIATE_TEST_SUITE_P(Formats, FeatureCase, testing::ValuesIn(feature_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> example_programs() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(PLUME_EXAMPLES_DIR)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("example_", 0) == 0 && entry.is_regular_file()) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every example and documentation program, run as it stands with each
// extension: the program does not know which format it writes.
TEST(Formats, EveryExampleProgramLooksTheSameInEveryFormat) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  const auto programs = example_programs();
  ASSERT_GE(programs.size(), 9u);
  for (const auto& program : programs) {
    SCOPED_TRACE(program);
    const std::string base = write_all_formats(program, [&](const std::string& path) {
      std::string command = "'";
      command.append(PLUME_EXAMPLES_DIR).append("/").append(program).append("' '").append(path).append("'");
      if (program == "example_plot_data") {
        command.append(" '").append(PLUME_SOURCE_DIR_FOR_FORMATS).append("/examples/data/temperature.txt'");
      }
      ASSERT_EQ(plume::testing::run_command(command), 0) << command;
    });
    const int pages = plume::testing::pdf_page_count(base + ".pdf");
    ASSERT_GE(pages, 1);
    expect_same_pictures(base, pages, 150);  // the PNG's default resolution
  }
}

}  // namespace

namespace {

std::string write_one(const std::string& name, const Draw& draw, int orientation = 1) {
  const std::string path = plume::testing::temp_path(name);
  write_plot(path, draw, orientation);
  return path;
}

void every_font() {
  const int fonts[] = {1, 2, 3, 4, 5, 6, 7, 11, 13, 14, 20};
  float y = 1;
  for (const int f : fonts) {
    plume::xsymbol(1, y, 0.4f, "Plume", 0, 5, f);
    y += 0.8f;
  }
  plume::xsymbol(1, y, 0.5f, "\xB0\xA1", 0, 2, 21);        // JIS 3021
  plume::xsymbol(3, y, 0.5f, "\xA4\xA2\xA4\xA4", 0, 4, 22);  // JIS 2422 2424
}

TEST(Formats, PdfIsSoundAndEmbedsEveryFont) {
  const std::string pdf = write_one("fonts.pdf", every_font);
  std::string out;
  EXPECT_EQ(plume::testing::run_command("qpdf --check '" + pdf + "'", &out), 0) << out;
  const auto fonts = plume::testing::pdf_fonts(pdf);
  EXPECT_GE(fonts.size(), 13u);  // ten Latin faces, Symbol and the two Japanese ones
  for (const auto& f : fonts) EXPECT_TRUE(f.embedded) << f.name;
}

// The two-byte codes of fonts 21 and 22 are JIS: 3021 is U+4E9C, 2422 and
// 2424 are U+3042 and U+3044.
TEST(Formats, JapaneseFontsShowTheCharactersTheirCodesName) {
  const std::string text = plume::testing::pdf_text(write_one("japanese.pdf", every_font));
  EXPECT_NE(text.find("\xE4\xBA\x9C"), std::string::npos) << text;
  EXPECT_NE(text.find("\xE3\x81\x82\xE3\x81\x84"), std::string::npos) << text;
  EXPECT_NE(text.find("Plume"), std::string::npos) << text;
}

TEST(Formats, ExtensionChoosesTheFormatInAnyCase) {
  const std::string pdf = write_one("upper.PDF", some_lines);
  const std::string png = write_one("upper.Png", some_lines);
  const std::string eps = write_one("plain.pdf.eps", some_lines);
  EXPECT_EQ(plume::testing::read_file(pdf).substr(0, 5), "%PDF-");
  EXPECT_EQ(plume::testing::read_file(png).substr(1, 3), "PNG");
  EXPECT_EQ(plume::testing::read_file(eps).substr(0, 10), "%!PS-Adobe");
}

TEST(Formats, CropPagesFalseKeepsTheWholeSheet) {
  plume::crop_pages(false);
  plume::raster_dpi(72);
  const std::string pdf = write_one("sheet.pdf", some_lines);
  const std::string png = write_one("sheet.png", some_lines);
  std::string info;
  plume::testing::run_command("pdfinfo '" + pdf + "'", &info);
  EXPECT_NE(info.find("Page size:       595 x 842 pts"), std::string::npos) << info;
  const Picture picture = plume::testing::read_png(png);
  EXPECT_EQ(picture.width, 595);
  EXPECT_EQ(picture.height, 842);
  // From C, as from Fortran: 1 crops again.
  plume_crop_pages(1);
  const Picture cropped = plume::testing::read_png(write_one("cropped.png", some_lines));
  EXPECT_LT(cropped.width, 595);
}

TEST(Formats, RasterDpiScalesThePng) {
  const Picture at150 = plume::testing::read_png(write_one("default.png", some_lines));
  plume_raster_dpi(300);
  const Picture at300 = plume::testing::read_png(write_one("fine.png", some_lines));
  ASSERT_FALSE(at150.empty());
  EXPECT_NEAR(at300.width, 2 * at150.width, 2);
  EXPECT_NEAR(at300.height, 2 * at150.height, 2);
  // A PNG page is white where nothing is drawn.
  EXPECT_EQ(at150.rgb[0], 255);
  EXPECT_EQ(at150.rgb[1], 255);
  EXPECT_EQ(at150.rgb[2], 255);
}

// The width and height a PNG file's header gives (no need to decode a
// page of 10^8 pixels to know its size).
std::pair<long, long> png_size(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  unsigned char header[24] = {};
  const bool read = f != nullptr && std::fread(header, 1, sizeof header, f) == sizeof header;
  if (f != nullptr) std::fclose(f);
  if (!read) return {0, 0};
  const auto be32 = [&](int at) {
    return (long{header[at]} << 24) | (long{header[at + 1]} << 16) | (long{header[at + 2]} << 8) | header[at + 3];
  };
  return {be32(16), be32(20)};
}

// A page drawn at a resolution that would make it too large keeps the
// limits the formats page states: at most 10^8 pixels and 32000 on a side,
// the largest resolution that fits them.
TEST(Formats, PngPageKeepsTheDocumentedPixelLimits) {
  const std::string doc = plume::testing::read_file(std::string(PLUME_SOURCE_DIR_FOR_FORMATS) + "/docs/formats.md");
  EXPECT_NE(doc.find("more than 10^8 pixels"), std::string::npos);
  EXPECT_NE(doc.find("more than 32000 on a side"), std::string::npos);
  plume_crop_pages(0);
  plume_raster_dpi(4800);
  const auto sheet = png_size(write_one("sheet-at-4800.png", some_lines));
  plume_crop_pages(1);  // a narrow strip: the side binds before the count
  const auto strip = png_size(write_one("strip-at-4800.png", [] {
    plume::plot(0, 0, 3);
    plume::plot(25, 0.2f, 2);
  }));
  plume_raster_dpi(150);
  EXPECT_LE(sheet.first * sheet.second, 100000000L);
  EXPECT_GT(sheet.first * sheet.second, 99000000L);
  EXPECT_NEAR(static_cast<double>(sheet.second) / sheet.first, 842.0 / 595.0, 0.01);
  EXPECT_LE(std::max(strip.first, strip.second), 32000L);
  EXPECT_GT(std::max(strip.first, strip.second), 31900L);
}

TEST(Formats, EmptyDocumentIsOneBlankPage) {
  const std::string pdf = write_one("empty.pdf", [] {});
  EXPECT_EQ(plume::testing::run_command("qpdf --check '" + pdf + "' > /dev/null"), 0);
  EXPECT_EQ(plume::testing::pdf_page_count(pdf), 1);
  EXPECT_FALSE(plume::testing::read_png(write_one("empty.png", [] {})).empty());
}

TEST(Formats, UnwritablePathIsAReportedFailureNamingTheUnit) {
  plume::connect_unit(41, "/nonexistent-directory/fig.pdf");
  testing::internal::CaptureStderr();
  plume::hplots(1, 1, 41, 0);
  some_lines();
  plume::hplots(0, 0, 41, 0);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(plume::write_failures(), 1);
  EXPECT_NE(message.find("unit 41 (/nonexistent-directory/fig.pdf)"), std::string::npos) << message;
  EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
}

// Page 2's file cannot be made (a directory stands there): the close
// reports it; page 1 is written.
TEST(Formats, PageFileThatCannotBeWrittenIsReported) {
  const std::string svg = plume::testing::temp_path("blocked.svg");
  fs::create_directory(page_path(svg, 2));
  testing::internal::CaptureStderr();
  write_plot(svg, [] { some_lines(); plume::newpage(); some_lines(); }, 1);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(plume::write_failures(), 1);
  EXPECT_NE(message.find("blocked-2.svg"), std::string::npos) << message;
  std::string out;
  EXPECT_EQ(plume::testing::run_command("rsvg-convert -o '" + svg + ".png' '" + svg + "'", &out), 0) << out;
}

struct HiResBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

bool parse_hires(const std::string& text, HiResBox& box) {
  const auto at = text.find("%%HiResBoundingBox:");
  if (at == std::string::npos) return false;
  return std::sscanf(text.c_str() + at, "%%%%HiResBoundingBox: %lf %lf %lf %lf", &box.x0, &box.y0, &box.x1,
                     &box.y1) == 4;
}

// The extent of the ink Ghostscript puts on the sheet, in points, measured
// on a raster of half a point per pixel.
HiResBox ghostscript_ink(const std::string& eps) {
  constexpr double dpi = 144;
  const Picture sheet = plume::testing::render_eps(eps, dpi);
  HiResBox box{1e9, 1e9, -1e9, -1e9};
  for (int y = 0; y < sheet.height; ++y) {
    for (int x = 0; x < sheet.width; ++x) {
      const unsigned char* p = &sheet.rgb[(static_cast<std::size_t>(y) * sheet.width + x) * 3];
      if (p[0] >= 245 && p[1] >= 245 && p[2] >= 245) continue;
      box.x0 = std::min(box.x0, x * 72 / dpi);
      box.x1 = std::max(box.x1, (x + 1) * 72 / dpi);
      box.y0 = std::min(box.y0, 842 - (y + 1) * 72 / dpi);
      box.y1 = std::max(box.y1, 842 - y * 72 / dpi);
    }
  }
  return box;
}

// The opt-in EPS box against the ink Ghostscript draws from the same
// document, for every single-page feature case and a title in a PostScript
// font above the drawing.
TEST(Formats, OptInEpsBoxHoldsEverythingGhostscriptInks) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  std::vector<Case> cases = feature_cases();
  cases.push_back({"title_above", 1, 1, [] {
                     some_lines();
                     plume::xsymbol(1, 9, 0.8f, "A title above", 0, 13, 2);
                   }});
  plume::bounding_box_atend(true);
  for (const auto& c : cases) {
    if (c.pages != 1) continue;
    SCOPED_TRACE(c.name);
    const std::string eps = write_one(std::string(c.name) + ".atend.eps", c.draw, c.orientation);
    HiResBox ours;
    ASSERT_TRUE(parse_hires(plume::testing::read_file(eps), ours));
    const HiResBox theirs = ghostscript_ink(eps);
    // A pixel of half a point, and anti-aliased edges: within a point.
    EXPECT_NEAR(ours.x0, theirs.x0, 1.0);
    EXPECT_NEAR(ours.y0, theirs.y0, 1.0);
    EXPECT_NEAR(ours.x1, theirs.x1, 1.0);
    EXPECT_NEAR(ours.y1, theirs.y1, 1.0);
    // And the header box holds the exact one, rounded outward.
    const auto lines = plume::testing::split_lines(plume::testing::read_file(eps));
    int x0, y0, x1, y1;
    ASSERT_EQ(std::sscanf(lines[1].c_str(), "%%%%BoundingBox: %d %d %d %d", &x0, &y0, &x1, &y1), 4) << lines[1];
    EXPECT_LE(x0, ours.x0);
    EXPECT_LE(y0, ours.y0);
    EXPECT_GE(x1, ours.x1);
    EXPECT_GE(y1, ours.y1);
    EXPECT_GT(x0 + 1, ours.x0);
    EXPECT_LT(x1 - 1, ours.x1);
  }
  plume::bounding_box_atend(false);
}

// The cropped pages hold the title too (each format against the EPS on the
// whole sheet, so a cut title would show as a smaller picture).
TEST(Formats, TitleAboveTheDrawingIsInsideEveryFormatsPage) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  const Draw titled = [] {
    some_lines();
    plume::xsymbol(1, 9, 0.8f, "A title above", 0, 13, 2);
  };
  const std::string base = write_all_formats("titled", [&](const std::string& path) { write_plot(path, titled, 1); });
  expect_same_pictures(base, 1);
  // The page is the drawing's extent plus 2 points: title top to line bottom.
  std::string info;
  plume::testing::run_command("pdfinfo '" + base + ".pdf'", &info);
  double w = 0, h = 0;
  ASSERT_EQ(std::sscanf(info.c_str() + info.find("Page size:"), "Page size: %lf x %lf", &w, &h), 2);
  EXPECT_GT(h, 9 * 72 / 2.54 - 28 + 10);
}

// The C++ face's document: a unit of its own, closed by the destructor.
TEST(Formats, DocumentOpensAndClosesItsOwnUnit) {
  const std::string svg = plume::testing::temp_path("raii.svg");
  {
    plume::Document doc{svg, plume::Orientation::landscape, plume::Units::twenty_points};
    EXPECT_GT(doc.unit(), 999);
    plume::plot(1, 1, plume::Pen::up);
    plume::plot(10, 5, plume::Pen::down);
  }
  std::string out;
  EXPECT_EQ(plume::testing::run_command("rsvg-convert -o '" + svg + ".png' '" + svg + "'", &out), 0) << out;
  EXPECT_NE(plume::testing::read_file(svg).find("<path"), std::string::npos);
  EXPECT_EQ(plume::write_failures(), 0);
}

}  // namespace

namespace {

// A plot never closed: its PDF is drawn at exit with what it holds, as an
// EPS document keeps its lines.
TEST(Formats, UnclosedPlotIsDrawnAtExit) {
  const std::string pdf = plume::testing::temp_path("unclosed.pdf");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    plume::connect_unit(42, pdf);
    plume::hplots(1, 1, 42, 0);
    some_lines();
    std::exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(plume::testing::run_command("qpdf --check '" + pdf + "' > /dev/null"), 0);
  EXPECT_EQ(plume::testing::pdf_page_count(pdf), 1);
}

// A child forked while a PDF is being written leaves it to its parent:
// neither its exit nor its buffered copy of the lines touches the document.
TEST(Formats, ForkedChildLeavesItsParentsDocumentAlone) {
  const std::string pdf = plume::testing::temp_path("parent.pdf");
  plume::connect_unit(43, pdf);
  plume::hplots(1, 1, 43, 0);
  some_lines();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) std::exit(0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  plume::newpage();
  some_lines();
  plume::hplots(0, 0, 43, 0);
  std::string out;
  EXPECT_EQ(plume::testing::run_command("qpdf --check '" + pdf + "'", &out), 0) << out;
  EXPECT_EQ(plume::testing::pdf_page_count(pdf), 2);
  EXPECT_EQ(plume::write_failures(), 0);
}

}  // namespace
