// A data plot: two series from a small text file, scaled to the axes with
// scale(), drawn on labelled x and y axes, the first as a line with markers,
// the second dashed, under a title set in a PostScript font.
//
// Usage: example_plot_data <output.eps> <data.txt>
// The data file holds lines "x y1 y2"; lines starting with '#' are comments.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plume/plume.hpp"

namespace {

constexpr int kUnit = 21;
constexpr int kPortrait = 1;
constexpr int kCentimetres = 0;
constexpr float kXAxisLength = 11.0f;
constexpr float kYAxisLength = 10.0f;
constexpr int kTimesBold = 2;
constexpr int kHelvetica = 11;
constexpr int kTriangle = 2;

struct Table {
  std::vector<float> x, high, low;
};

bool read_table(const char* path, Table& t) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    float x = 0, a = 0, b = 0;
    if (!(fields >> x >> a >> b)) return false;
    t.x.push_back(x);
    t.high.push_back(a);
    t.low.push_back(b);
  }
  return t.x.size() >= 2;
}

// The series followed by room for the scale pair that scale() stores.
std::vector<float> with_pair(const std::vector<float>& data) {
  std::vector<float> v = data;
  v.resize(data.size() + 2, 0.0f);
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <output.eps> <data.txt>\n", argv[0]);
    return 2;
  }
  Table table;
  if (!read_table(argv[2], table)) {
    std::fprintf(stderr, "%s: cannot read the data file %s\n", argv[0], argv[2]);
    return 1;
  }
  const int n = static_cast<int>(table.x.size());

  std::vector<float> xs = with_pair(table.x);
  plume::scale(xs, kXAxisLength, n, 1);
  // Both series share the y axis: scale them together, then give each the pair.
  std::vector<float> both = table.high;
  both.insert(both.end(), table.low.begin(), table.low.end());
  both.resize(both.size() + 2);
  plume::scale(both, kYAxisLength, 2 * n, 1);
  const float y_first = both[2 * static_cast<std::size_t>(n)];
  const float y_delta = both[2 * static_cast<std::size_t>(n) + 1];
  std::vector<float> high = with_pair(table.high);
  std::vector<float> low = with_pair(table.low);
  for (auto* v : {&high, &low}) {
    (*v)[static_cast<std::size_t>(n)] = y_first;
    (*v)[static_cast<std::size_t>(n) + 1] = y_delta;
  }

  plume::connect_unit(kUnit, argv[1]);
  plume::hplots(1, kPortrait, kUnit, kCentimetres);
  plume::plot(4.0f, 8.0f, -3);  // the axes' corner

  const float x_first = xs[static_cast<std::size_t>(n)];
  const float x_delta = xs[static_cast<std::size_t>(n) + 1];
  // Negative count: ticks, numbers and label below the x axis.
  plume::axis(0.0f, 0.0f, "MONTH", -5, kXAxisLength, 0.0f, x_first, x_delta);
  // Angle 90, positive count: on the anticlockwise side, left of the axis.
  plume::axis(0.0f, 0.0f, "TEMPERATURE (C)", 15, kYAxisLength, 90.0f, y_first, y_delta);

  plume::newpen(3);
  plume::line(xs, high, n, 1, 1, kTriangle);
  plume::newpen(2);
  plume::plot(0.0f, 0.0f, 3);
  plume::dashl(xs, low, n, 1);
  plume::newpen(1);

  plume::xsymbol(0.0f, kYAxisLength + 1.0f, 0.6f, "Monthly mean temperatures", 0.0f, 25, kTimesBold);
  // Legend, top left where the data run low: a sample of each series.
  const float lx = 1.0f, ly = kYAxisLength - 0.7f;
  plume::newpen(3);
  plume::plot(lx - 0.6f, ly, 3);
  plume::plot(lx + 0.6f, ly, 2);
  plume::symbol(lx, ly, 0.2032f, kTriangle, 0.0f, -1);
  plume::newpen(2);
  plume::plot(lx - 0.6f, ly - 0.7f, 3);
  plume::dashp(lx + 0.6f, ly - 0.7f, 0.254f);
  plume::newpen(1);
  plume::xsymbol(lx + 0.9f, ly - 0.1f, 0.3f, "daily maximum", 0.0f, 13, kHelvetica);
  plume::xsymbol(lx + 0.9f, ly - 0.8f, 0.3f, "daily minimum", 0.0f, 13, kHelvetica);

  plume::hplots(0, 0, kUnit, 0);
  return plume::write_failures() == 0 ? 0 : 1;
}
