// Affine transforms and boxes in PostScript's coordinate conventions.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace plume::render {

struct Point {
  double x = 0, y = 0;
};

// x' = a x + c y + e, y' = b x + d y + f (PostScript's [a b c d e f]).
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  Point apply(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
  Point apply_linear(Point p) const { return {a * p.x + c * p.y, b * p.x + d * p.y}; }
  // This transform applied after `first`: (this ∘ first).
  Matrix after(const Matrix& first) const {
    return {a * first.a + c * first.b, b * first.a + d * first.b, a * first.c + c * first.d,
            b * first.c + d * first.d, a * first.e + c * first.f + e, b * first.e + d * first.f + f};
  }
  // How much a length grows, on average over directions.
  double length_scale() const { return std::sqrt(std::abs(a * d - b * c)); }
};

struct Box {
  double x0 = std::numeric_limits<double>::infinity();
  double y0 = std::numeric_limits<double>::infinity();
  double x1 = -std::numeric_limits<double>::infinity();
  double y1 = -std::numeric_limits<double>::infinity();

  bool empty() const { return !(x0 <= x1 && y0 <= y1); }
  void add(Point p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  }
  void add(const Box& o) {
    if (o.empty()) return;
    add(Point{o.x0, o.y0});
    add(Point{o.x1, o.y1});
  }
  Box grown(double by) const {
    if (empty()) return *this;
    return {x0 - by, y0 - by, x1 + by, y1 + by};
  }
  Box intersected(const Box& o) const {
    Box r{std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    return r.empty() ? Box{} : r;
  }
  static Box everything() {
    const double big = std::numeric_limits<double>::max();
    return {-big, -big, big, big};
  }
};

}  // namespace plume::render
