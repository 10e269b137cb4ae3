#include "support/document.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plume/plume.hpp"

namespace plume::testing {

std::string temp_path(std::string_view name) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("plume-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
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

bool renders_cleanly(const std::string& path, std::string* output) {
  std::string out;
  const int status = run(ghostscript() + " -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage '" + path + "'", &out);
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
  in >> magic >> raster.width >> raster.height >> maxval;
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
