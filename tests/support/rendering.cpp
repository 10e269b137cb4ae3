#include "support/rendering.hpp"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "support/document.hpp"

namespace plume::testing {
namespace {

std::string quote(const std::string& s) { return "'" + s + "'"; }

bool is_ink(const unsigned char* p) { return p[0] < 245 || p[1] < 245 || p[2] < 245; }

Picture render_to_png(const std::string& command, const std::string& png, std::string* error) {
  std::string output;
  if (run_command(command, &output) != 0) {
    if (error != nullptr) *error = command + ": " + output;
    return {};
  }
  return read_png(png);
}

}  // namespace

int run_command(const std::string& command, std::string* output) {
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  std::array<char, 4096> chunk;
  std::string text;
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe)) text.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  if (output != nullptr) *output = text;
  return status;
}

Picture read_png(const std::string& path) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  Picture p;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    // Flatten onto white: transparent backgrounds (SVG) count as paper.
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    cairo_surface_t* flat = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(flat);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(flat);
    p.width = w;
    p.height = h;
    p.rgb.resize(static_cast<std::size_t>(w) * h * 3);
    const unsigned char* data = cairo_image_surface_get_data(flat);
    const int stride = cairo_image_surface_get_stride(flat);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        std::uint32_t px;
        std::memcpy(&px, data + y * stride + x * 4, 4);
        unsigned char* out = &p.rgb[(static_cast<std::size_t>(y) * w + x) * 3];
        out[0] = static_cast<unsigned char>(px >> 16);
        out[1] = static_cast<unsigned char>(px >> 8);
        out[2] = static_cast<unsigned char>(px);
      }
    }
    cairo_surface_destroy(flat);
  }
  cairo_surface_destroy(s);
  return p;
}

bool write_png(const Picture& picture, const std::string& path) {
  if (picture.empty()) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const unsigned char* in = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
      const std::uint32_t px = 0xFF000000u | (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
      std::memcpy(data + y * stride + x * 4, &px, 4);
    }
  }
  cairo_surface_mark_dirty(s);
  const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

Picture Picture::cropped_to_ink() const {
  int x0 = width, y0 = height, x1 = -1, y1 = -1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!is_ink(&rgb[(static_cast<std::size_t>(y) * width + x) * 3])) continue;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  Picture out;
  if (x1 < 0) return out;
  out.width = x1 - x0 + 1;
  out.height = y1 - y0 + 1;
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  for (int y = 0; y < out.height; ++y) {
    std::copy_n(&rgb[(static_cast<std::size_t>(y + y0) * width + x0) * 3], out.width * 3,
                &out.rgb[static_cast<std::size_t>(y) * out.width * 3]);
  }
  return out;
}

Picture render_eps(const std::string& path, double dpi, int page, std::string* error) {
  const std::string png = path + ".gs.png";
  const std::string r = std::to_string(dpi);
  return render_to_png(ghostscript() + " -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -sPAPERSIZE=a4 -dFIXEDMEDIA" +
                           " -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -r" + r + " -dFirstPage=" +
                           std::to_string(page) + " -dLastPage=" + std::to_string(page) + " -sOutputFile=" +
                           quote(png) + " " + quote(path),
                       png, error);
}

Picture render_pdf(const std::string& path, double dpi, int page, std::string* error) {
  const std::string base = path + ".poppler";
  const std::string r = std::to_string(static_cast<int>(dpi));
  return render_to_png("pdftoppm -png -singlefile -r " + r + " -f " + std::to_string(page) + " -l " +
                           std::to_string(page) + " " + quote(path) + " " + quote(base),
                       base + ".png", error);
}

Picture render_svg(const std::string& path, double dpi, std::string* error) {
  const std::string png = path + ".rsvg.png";
  const std::string r = std::to_string(static_cast<int>(dpi));
  return render_to_png("rsvg-convert -d " + r + " -p " + r + " -o " + quote(png) + " " + quote(path), png, error);
}

namespace {

// b shifted by (dx, dy) against a.
Difference compare_shifted(const Picture& a, const Picture& b, int block, int dx, int dy) {
  Difference d;
  d.width_change = b.width - a.width;
  d.height_change = b.height - a.height;
  const int w = std::max(a.width, b.width + dx), h = std::max(a.height, b.height + dy);
  const auto channel = [](const Picture& p, int x, int y, int c) -> int {
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) return 255;  // paper beyond the picture
    return p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3 + c];
  };
  double total = 0;
  int blocks = 0, over = 0;
  for (int by = std::min(0, dy); by < h; by += block) {
    for (int bx = std::min(0, dx); bx < w; bx += block) {
      double sum[3] = {0, 0, 0};
      int n = 0;
      for (int y = by; y < std::min(h, by + block); ++y) {
        for (int x = bx; x < std::min(w, bx + block); ++x) {
          for (int c = 0; c < 3; ++c) sum[c] += channel(a, x, y, c) - channel(b, x - dx, y - dy, c);
          ++n;
        }
      }
      const double diff = std::max({std::abs(sum[0]), std::abs(sum[1]), std::abs(sum[2])}) / n;
      total += diff;
      if (diff > 96) ++over;
      if (diff > d.worst) {
        d.worst = diff;
        d.worst_x = bx;
        d.worst_y = by;
      }
      ++blocks;
    }
  }
  d.mean = blocks > 0 ? total / blocks : 0;
  d.share_over_96 = blocks > 0 ? static_cast<double>(over) / blocks : 0;
  return d;
}

}  // namespace

// Cropping to ink can place two pictures a pixel or two apart (a faint
// anti-aliased edge counts as ink in one and not the other): the best of
// the small shifts is compared.
Difference compare(const Picture& a, const Picture& b, int block) {
  Difference best;
  bool first = true;
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const Difference d = compare_shifted(a, b, block, dx, dy);
      if (first || d.mean < best.mean) best = d;
      first = false;
    }
  }
  return best;
}

std::string Difference::describe() const {
  std::ostringstream s;
  s << "mean block difference " << mean << ", blocks over 96: " << share_over_96 * 100 << "%, worst block " << worst << " at pixel (" << worst_x << ", " << worst_y << "), size change " << width_change << " x "
    << height_change << " pixels";
  return s.str();
}

int pdf_page_count(const std::string& path) {
  std::string out;
  if (run_command("pdfinfo " + quote(path), &out) != 0) return -1;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Pages:", 0) == 0) return std::stoi(line.substr(6));
  }
  return -1;
}

std::vector<PdfFont> pdf_fonts(const std::string& path) {
  std::string out;
  std::vector<PdfFont> fonts;
  if (run_command("pdffonts " + quote(path), &out) != 0) return fonts;
  std::istringstream in(out);
  std::string line;
  std::getline(in, line);  // heading
  std::getline(in, line);  // rule
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    PdfFont f;
    fields >> f.name;
    // The columns after the name: type (one or two words), encoding, emb, sub, uni, object, generation.
    std::vector<std::string> rest;
    for (std::string w; fields >> w;) rest.push_back(w);
    if (rest.size() >= 6) f.embedded = rest[rest.size() - 5] == "yes";
    fonts.push_back(f);
  }
  return fonts;
}

std::string pdf_text(const std::string& path) {
  std::string out;
  run_command("pdftotext " + quote(path) + " -", &out);
  return out;
}

}  // namespace plume::testing
