// Pictures of one page that two renderers drew, compared away from the
// edges where their anti-aliasing differs; and pages that must hold all the
// ink of another. Used by tests/fuzz/random_calls.sh.
//
//   compare_pages alike REFERENCE.png OTHER.png
//       every solid ink pixel of each picture has ink of a like colour in
//       the other within two pixels
//   compare_pages crop SHEET.png PAGE.png
//       PAGE (a cropped page) holds as much ink as SHEET (the same page on
//       the whole sheet), none of it on its border
//   compare_pages box SHEET.png DPI X0 Y0 X1 Y1
//       all ink of SHEET (a whole A4 sheet at DPI) lies in the box, in
//       sheet points
//
// Exit status 0 when the pictures pass, 1 when not (with the reason on
// standard output), 2 when a picture cannot be read.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/rendering.hpp"

using plume::testing::Picture;

namespace {

// Within this many pixels, two renderers put the same edge.
constexpr int kReach = 2;
// Solid ink: some channel at least this far from white; faint ink, which
// an anti-aliased edge of it may be in the other picture: any channel off
// white by more than a rounding.
constexpr int kSolid = 96;
constexpr int kFaint = 12;
// Colours of the same ink, however much of it an edge or a thinner line
// blends with the paper: their distances from white point the same way.
constexpr double kLikeColour = 0.85;  // the cosine of the angle between them (black and red: 0.82)
// Unmatched solid pixels allowed: a few (a corner or a glyph serif one
// renderer fills and the other does not, the dots of a hairline dash
// pattern a viewer snaps to other pixels), or a thousandth of the ink.
constexpr int kFewPixels = 40;
constexpr double kShareAllowed = 0.001;

const unsigned char* at(const Picture& p, int x, int y) {
  return &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
}

int whiteness_gap(const unsigned char* c) { return 255 - std::min({c[0], c[1], c[2]}); }

bool like(const unsigned char* a, const unsigned char* b) {
  double dot = 0, aa = 0, bb = 0;
  for (int k = 0; k < 3; ++k) {
    const double u = 255 - a[k], v = 255 - b[k];
    dot += u * v, aa += u * u, bb += v * v;
  }
  return aa > 0 && bb > 0 && dot >= kLikeColour * std::sqrt(aa * bb);
}

struct Unmatched {
  long solid = 0, missing = 0;
  int x = -1, y = -1;  // the first one missing
};

// Solid ink of `a` without like ink near it in `b`.
Unmatched unmatched(const Picture& a, const Picture& b) {
  Unmatched u;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const unsigned char* c = at(a, x, y);
      if (whiteness_gap(c) < kSolid) continue;
      ++u.solid;
      bool found = false;
      for (int dy = -kReach; dy <= kReach && !found; ++dy) {
        for (int dx = -kReach; dx <= kReach && !found; ++dx) {
          const int bx = x + dx, by = y + dy;
          if (bx < 0 || by < 0 || bx >= b.width || by >= b.height) continue;
          const unsigned char* d = at(b, bx, by);
          found = whiteness_gap(d) > kFaint && like(c, d);
        }
      }
      if (!found && u.missing++ == 0) u.x = x, u.y = y;
    }
  }
  return u;
}

bool acceptable(const Unmatched& u) {
  return u.missing <= kFewPixels || u.missing <= kShareAllowed * static_cast<double>(u.solid);
}

struct Extent {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  bool empty() const { return x1 < 0; }
};

Extent ink_extent(const Picture& p, int threshold) {
  Extent e;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (whiteness_gap(at(p, x, y)) < threshold) continue;
      e.x0 = std::min(e.x0, x), e.y0 = std::min(e.y0, y);
      e.x1 = std::max(e.x1, x), e.y1 = std::max(e.y1, y);
    }
  }
  return e;
}

int alike(const Picture& reference, const Picture& other) {
  if (reference.width != other.width || reference.height != other.height) {
    std::printf("sizes differ: %d x %d and %d x %d pixels\n", reference.width, reference.height, other.width,
                other.height);
    return 1;
  }
  const Unmatched lost = unmatched(reference, other);
  const Unmatched added = unmatched(other, reference);
  if (acceptable(lost) && acceptable(added)) return 0;
  std::printf("%ld of %ld ink pixels missing (first at %d, %d), %ld of %ld added (first at %d, %d)\n", lost.missing,
              lost.solid, lost.x, lost.y, added.missing, added.solid, added.x, added.y);
  return 1;
}

int crop(const Picture& sheet, const Picture& page) {
  // Any ink: one renderer draws a thin line solid, the other faint.
  const Extent whole = ink_extent(sheet, kFaint), cropped = ink_extent(page, kFaint);
  if (whole.empty()) return 0;
  if (cropped.empty()) {
    std::printf("the cropped page is blank\n");
    return 1;
  }
  if (cropped.x0 == 0 || cropped.y0 == 0 || cropped.x1 == page.width - 1 || cropped.y1 == page.height - 1) {
    std::printf("ink on the border of the %d x %d page: %d %d to %d %d\n", page.width, page.height, cropped.x0,
                cropped.y0, cropped.x1, cropped.y1);
    return 1;
  }
  const int lost_width = (whole.x1 - whole.x0) - (cropped.x1 - cropped.x0);
  const int lost_height = (whole.y1 - whole.y0) - (cropped.y1 - cropped.y0);
  if (lost_width > kReach || lost_height > kReach) {
    std::printf("the crop holds %d x %d pixels of ink, the sheet %d x %d\n", cropped.x1 - cropped.x0,
                cropped.y1 - cropped.y0, whole.x1 - whole.x0, whole.y1 - whole.y0);
    return 1;
  }
  return 0;
}

int box(const Picture& sheet, double dpi, const double (&points)[4]) {
  const Extent e = ink_extent(sheet, kSolid);
  if (e.empty()) return 0;
  // Pixel rows count down from the top of the sheet (842 points).
  const double scale = dpi / 72;
  const double x0 = points[0] * scale, x1 = points[2] * scale;
  const double y0 = (842 - points[3]) * scale, y1 = (842 - points[1]) * scale;
  const double slack = 1;  // an anti-aliased pixel across the line
  if (e.x0 + 1 < x0 - slack || e.x1 > x1 + slack || e.y0 + 1 < y0 - slack || e.y1 > y1 + slack) {
    std::printf("ink from pixel %d %d to %d %d, the box from %.1f %.1f to %.1f %.1f\n", e.x0, e.y0, e.x1 + 1, e.y1 + 1,
                x0, y0, x1, y1);
    return 1;
  }
  return 0;
}

Picture read(const char* path) {
  Picture p = plume::testing::read_png(path);
  if (p.empty()) {
    std::fprintf(stderr, "compare_pages: cannot read %s\n", path);
    std::exit(2);
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "alike" && argc == 4) return alike(read(argv[2]), read(argv[3]));
  if (mode == "crop" && argc == 4) return crop(read(argv[2]), read(argv[3]));
  if (mode == "box" && argc == 8) {
    const double points[4] = {std::atof(argv[4]), std::atof(argv[5]), std::atof(argv[6]), std::atof(argv[7])};
    return box(read(argv[2]), std::atof(argv[3]), points);
  }
  std::fputs("usage: compare_pages alike A.png B.png | crop SHEET.png PAGE.png | box SHEET.png DPI X0 Y0 X1 Y1\n",
             stderr);
  return 2;
}
