#include "support/document.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plume/plume.hpp"

namespace plume::testing {

namespace {
std::filesystem::path g_temp_dir;
pid_t g_temp_owner = 0;

// Removed when the test process ends (not when a forked child does): a
// directory left behind could be found again by a later process that gets
// the same number.
void remove_temp_dir() {
  if (::getpid() != g_temp_owner) return;
  std::error_code ignored;
  std::filesystem::remove_all(g_temp_dir, ignored);
}
}  // namespace

std::string temp_path(std::string_view name) {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "plume-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
    g_temp_dir = pattern;
    g_temp_owner = ::getpid();
    std::atexit(remove_temp_dir);
    return g_temp_dir;
  }();
  return (dir / std::string(name)).string();
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string draw_document(const std::function<void()>& draw, int orientation, int units,
                          std::string* path_out) {
  static int serial = 0;
  const std::string path = temp_path("doc" + std::to_string(++serial) + ".eps");
  constexpr int kUnit = 31;
  plume::connect_unit(kUnit, path);
  plume::hplots(1, orientation, kUnit, units);
  draw();
  plume::hplots(0, 0, kUnit, 0);
  if (path_out != nullptr) *path_out = path;
  return read_file(path);
}

std::vector<std::string> body_lines(const std::string& document) {
  auto lines = split_lines(document);
  std::size_t start = 0;
  while (start < lines.size() && lines[start] != "gsave") ++start;
  start += 6;  // gsave, then the initial pen (3 lines) and colour (2 lines)
  if (lines.size() < start + 3) return {};
  return {lines.begin() + static_cast<long>(start), lines.end() - 3};
}

const std::vector<std::string>& first_portrait_head() {
  static const std::vector<std::string> head = {
      "%!PS-Adobe-2.0 EPSF-2.0",
      "/pM {stroke newpath moveto} def",
      "/pL {lineto} def",
      "/pQ {moveto} def",
      "/rM {rmoveto} def",
      "/rL {rlineto} def",
      "2 setlinejoin",
      "/tR {/Times-Roman findfont ",
      " exch scalefont setfont} def",
      "/tI {/Times-Italic findfont ",
      " exch scalefont setfont} def",
      "/tB {/Times-Bold findfont ",
      " exch scalefont setfont} def",
      "/tBI {/Times-BoldItalic findfont ",
      " exch scalefont setfont} def",
      "/hV {/Helvetica-Bold findfont ",
      " exch scalefont setfont} def",
      "/pI {/Palatino-Italic findfont ",
      " exch scalefont setfont} def",
      "/cR {/Courier findfont ",
      " exch scalefont setfont} def",
      "/hR {/Helvetica findfont ",
      " exch scalefont setfont} def",
      "/hI {/Helvetica-Oblique findfont ",
      " exch scalefont setfont} def",
      "/hBI {/Helvetica-BoldOblique findfont ",
      " exch scalefont setfont} def",
      "/sY {/Symbol findfont ",
      " exch scalefont setfont} def",
      "/kM {/Ryumin-Light-H findfont ",
      " exch scalefont setfont} def",
      "/kG {/GothicBBB-Medium-H findfont ",
      " exch scalefont setfont} def",
      "5 5 translate ",
      "gsave",
      // the initial pen and colour
      " stroke ",
      "  0.30 setlinewidth",
      "      0.000      0.000 pM",
      " stroke ",
      " 0.00 0.00 0.00 setrgbcolor",
  };
  return head;
}

std::string ghostscript() { return PLUME_GHOSTSCRIPT; }

namespace {
int run(const std::string& command, std::string* output) {
  std::string out;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return -1;
  std::array<char, 4096> buf{};
  std::size_t n = 0;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  const int status = ::pclose(p);
  if (output != nullptr) *output = out;
  return status;
}
}  // namespace

bool renders_cleanly(const std::string& path, std::string* output, int dpi) {
  std::string out;
  const std::string resolution = dpi > 0 ? " -r" + std::to_string(dpi) : "";
  const int status =
      run(ghostscript() + " -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage" + resolution + " '" + path + "'", &out);
  if (output != nullptr) *output = out;
  return status == 0 && out.find("Error") == std::string::npos;
}

bool rasterize(const std::string& path, double dpi, Raster& raster) {
  const std::string ppm = path + ".ppm";
  std::string out;
  const int status = run(ghostscript() + " -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -sPAPERSIZE=a4 -dFIXEDMEDIA -r" +
                             std::to_string(dpi) + " -sOutputFile='" + ppm + "' '" + path + "'",
                         &out);
  if (status != 0) {
    ADD_FAILURE() << "gs failed: " << out;
    return false;
  }
  std::ifstream in(ppm, std::ios::binary);
  std::string magic;
  int maxval = 0;
  // Ghostscript writes a "# Image generated by ..." comment into the header.
  const auto skip_comments = [&in]() -> std::ifstream& {
    while ((in >> std::ws).peek() == '#') in.ignore(1 << 16, '\n');
    return in;
  };
  in >> magic;
  skip_comments() >> raster.width;
  skip_comments() >> raster.height;
  skip_comments() >> maxval;
  in.get();
  raster.dpi = dpi;
  raster.rgb.resize(static_cast<std::size_t>(raster.width) * static_cast<std::size_t>(raster.height) * 3);
  in.read(reinterpret_cast<char*>(raster.rgb.data()), static_cast<std::streamsize>(raster.rgb.size()));
  return magic == "P6" && in.good();
}

Raster::Pixel Raster::at_point(double x, double y) const {
  const int px = static_cast<int>(x * dpi / 72.0);
  const int py = height - 1 - static_cast<int>(y * dpi / 72.0);
  if (px < 0 || py < 0 || px >= width || py >= height) return {-1, -1, -1};
  const std::size_t i = (static_cast<std::size_t>(py) * static_cast<std::size_t>(width) + static_cast<std::size_t>(px)) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

}  // namespace plume::testing
