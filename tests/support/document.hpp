// Test helpers: capture documents into temporary files, split them into
// lines, and check them with Ghostscript.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plume::testing {

// A fresh path in the test's temporary directory.
std::string temp_path(std::string_view name);
std::string read_file(const std::string& path);
std::vector<std::string> split_lines(const std::string& text);

// Opens a plot on a unit connected to a temporary file, runs draw(), closes
// the plot and returns the whole document.
std::string draw_document(const std::function<void()>& draw, int orientation = 1, int units = 0,
                          std::string* path_out = nullptr);
// The lines between the head (with the initial pen and colour) and the
// trailer of a document that holds one plot.
std::vector<std::string> body_lines(const std::string& document);

// The 40 lines a portrait plot in centimetres starts with when it is the
// first plot of the run: head, initial pen and colour.
const std::vector<std::string>& first_portrait_head();

// Ghostscript: empty when gs is not installed.
std::string ghostscript();
// Renders the document with the nullpage device (at `dpi`, or gs's default
// of 72); returns whether it ran without error, and gs's output.
bool renders_cleanly(const std::string& path, std::string* output = nullptr, int dpi = 0);

// A raster of the whole sheet (A4, 595 x 842 points) at `dpi`.
struct Raster {
  int width = 0;
  int height = 0;
  double dpi = 0;
  std::vector<unsigned char> rgb;
  // The pixel at sheet point (x, y), origin at the lower left corner.
  struct Pixel {
    int r, g, b;
  };
  Pixel at_point(double x, double y) const;
};
bool rasterize(const std::string& path, double dpi, Raster& out);

}  // namespace plume::testing

// Skips the current test when Ghostscript is not installed.
#define PLUME_REQUIRE_GHOSTSCRIPT()                                   \
  do {                                                                 \
    if (::plume::testing::ghostscript().empty()) GTEST_SKIP() << "gs not installed"; \
  } while (0)
