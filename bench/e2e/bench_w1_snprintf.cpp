// Baseline (a) for W1: the same document written the plain C way, one
// snprintf("%11.3f%11.3f ...") and one fwrite per line, with the same
// single-precision page points, the same path rules (pQ, pL, the pM after
// every 1001st counted motion) and the same bounding-box rule as the library.
// For f11.3 C's %11.3f prints what the Fortran edit descriptor prints, except
// for negative zero, which W1 never produces.
// Usage: bench_w1_snprintf OUT.eps [MOTIONS]
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "bench/e2e/w1_workload.hpp"

namespace {

// The head of a first portrait plot in centimetres, with its initial pen
// and colour lines.
constexpr const char* kHead[] = {
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
    " stroke ",
    "  0.30 setlinewidth",
    "      0.000      0.000 pM",
    " stroke ",
    " 0.00 0.00 0.00 setrgbcolor",
};

constexpr float kScale = 28.346457f;  // points per centimetre
constexpr float kOriginX = 0.0f, kOriginY = 0.0f;
constexpr float kClipXmin = 0.0f, kClipYmin = 0.0f, kClipXmax = 556.0f, kClipYmax = 797.0f;

struct Writer {
  std::FILE* out;
  float pen_x = 0.0f, pen_y = 0.0f;
  bool move_pending = false;
  std::int32_t nplot = 0;
  std::int32_t bbox[4] = {0, 0, 0, 0};  // xmin, ymin, xmax, ymax

  void line(float px, float py, const char* op) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%11.3f%11.3f %s\n", static_cast<double>(px),
                                static_cast<double>(py), op);
    std::fwrite(buf, 1, static_cast<std::size_t>(n), out);
  }

  void record_segment(float px, float py) {
    // The start is truncated as computed in double, like the library.
    const auto sx = static_cast<std::int32_t>(static_cast<double>(kScale) * pen_x + kOriginX);
    const auto sy = static_cast<std::int32_t>(static_cast<double>(kScale) * pen_y + kOriginY);
    const auto ex = static_cast<std::int32_t>(px), ey = static_cast<std::int32_t>(py);
    std::int32_t lox = std::min(ex, sx), loy = std::min(ey, sy);
    std::int32_t hix = std::max(sx, ex), hiy = std::max(sy, ey);
    if (kClipXmin > static_cast<float>(lox)) lox = static_cast<std::int32_t>(kClipXmin);
    if (static_cast<float>(hix) > kClipXmax) hix = static_cast<std::int32_t>(kClipXmax);
    if (kClipYmin > static_cast<float>(loy)) loy = static_cast<std::int32_t>(kClipYmin);
    if (static_cast<float>(hiy) > kClipYmax) hiy = static_cast<std::int32_t>(kClipYmax);
    if (bbox[2] == 0 && bbox[3] == 0) {
      bbox[0] = lox;
      bbox[1] = loy;
    } else {
      bbox[0] = std::min(bbox[0], lox);
      bbox[1] = std::min(bbox[1], loy);
    }
    bbox[2] = std::max(bbox[2], hix);
    bbox[3] = std::max(bbox[3], hiy);
  }

  // Codes 3 and 2 only: W1 uses no others.
  void motion(float x, float y, int code) {
    const float px = kScale * x + kOriginX;
    const float py = kScale * y + kOriginY;
    if (code == 3 && move_pending) {
      line(px, py, "pM");
      move_pending = false;
      nplot = 0;
    } else {
      line(px, py, code == 3 ? "pQ" : "pL");
      move_pending = code == 3;
      ++nplot;
    }
    if (nplot > 1000) {
      line(px, py, "pM");
      nplot = 0;
    }
    if (code == 2) record_segment(px, py);
    pen_x = x;
    pen_y = y;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t motions = plume::bench::count_argument(argc, argv, 2, plume::bench::kW1Motions);
  if (argc < 2 || motions < 0) {
    std::fprintf(stderr, "usage: bench_w1_snprintf OUT.eps [MOTIONS]\n");
    return 2;
  }
  Writer w{std::fopen(argv[1], "wb")};
  if (w.out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  for (const char* text : kHead) std::fprintf(w.out, "%s\n", text);
  plume::bench::W1Sequence sequence;
  for (std::int64_t i = 0; i < motions; ++i) {
    const auto m = sequence.next();
    w.motion(m.x, m.y, m.code);
  }
  std::fprintf(w.out, "stroke\nshowpage\n%%%%BoundingBox:%5d%5d%5d%5d\n", w.bbox[0], w.bbox[1],
               w.bbox[2], w.bbox[3]);
  const bool failed = std::ferror(w.out) != 0;
  return std::fclose(w.out) == 0 && !failed ? 0 : 1;
}
