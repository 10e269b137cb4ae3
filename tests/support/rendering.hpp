// Test helpers for the PDF, SVG and PNG output: render every format with
// its reference tool (Ghostscript for EPS, pdftoppm for PDF, rsvg-convert
// for SVG), crop each picture to its ink and compare them.
#pragma once

#include <string>
#include <vector>

namespace plume::testing {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // width * height * 3
  bool empty() const { return width == 0 || height == 0; }
  // The part holding ink (any pixel not white), or an empty picture.
  Picture cropped_to_ink() const;
};

// Writes the picture as a PNG (to look at a failed comparison).
bool write_png(const Picture& picture, const std::string& path);
// A PNG file, read through cairo; empty when it cannot be read.
Picture read_png(const std::string& path);

// Page `page` (from 1) of each document as a picture at `dpi`, white
// background; empty (with the command in *error) when the tool fails.
Picture render_eps(const std::string& path, double dpi, int page = 1, std::string* error = nullptr);
Picture render_pdf(const std::string& path, double dpi, int page = 1, std::string* error = nullptr);
Picture render_svg(const std::string& path, double dpi, std::string* error = nullptr);

struct Difference {
  // Over blocks of block x block pixels (so that edges two rasterizers draw
  // a pixel apart mostly cancel), the largest difference of a channel's
  // mean, 0 to 255: its mean over all blocks, the share of blocks where it
  // exceeds 96 (3/8 of full scale), and the worst block.
  double mean = 0;
  double share_over_96 = 0;
  double worst = 0;
  int worst_x = 0, worst_y = 0;  // pixel of the worst block's corner
  int width_change = 0, height_change = 0;
  std::string describe() const;
};
Difference compare(const Picture& a, const Picture& b, int block = 4);

int pdf_page_count(const std::string& path);
// Every font pdffonts lists, and whether each is embedded.
struct PdfFont {
  std::string name;
  bool embedded = false;
};
std::vector<PdfFont> pdf_fonts(const std::string& path);
// Output of a shell command, and its status.
int run_command(const std::string& command, std::string* output = nullptr);
std::string pdf_text(const std::string& path);

}  // namespace plume::testing
