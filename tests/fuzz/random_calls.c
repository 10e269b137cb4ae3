/* Random call sequences through the C face.
 *
 *   random_calls generate SEED COUNT SCRIPT   writes COUNT random documents
 *   random_calls generate-near SEED COUNT SCRIPT   the same, no far arguments
 *   random_calls run SCRIPT PREFIX [EXTENSION [sheet|crop] [DPI]]
 *                                             calls the library as SCRIPT says
 *
 * A script holds one call per line: an operation number and its arguments,
 * numbers as C and Fortran list-directed input both read them ("nan",
 * "inf"), then for the text calls a text in single quotes. Operation 1 opens
 * a document; each document is written to PREFIX followed by its number
 * (five digits) and ".eps", or the EXTENSION given ("pdf", "svg", "png"),
 * with its pages cropped (the default) or on the whole sheet, and PNG pages
 * at DPI (default 150). tests/fuzz/random_calls.f90 runs the same
 * scripts through the Fortran face; the two must write the same documents,
 * and every document must render (tests/fuzz/random_calls.sh).
 *
 * Arguments lie in sensible ranges (coordinates of a page, heights of a
 * text, colours, patterns and fonts around their tables), with a few far
 * and non-finite values. Work that grows with an argument stays bounded:
 * axes are at most 20 units long, and dashed lines get no far points. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "plume/plume.h"
#include "plume/records.h"

enum {
  kClose = 0, kOpen, kPlot, kXplot, kOrigin, kFactor, kWhere, kViewport, kNewpage, kPen, kNewpen,
  kColor, kRgbcolor, kRtone, kDashln, kRectangle, kXrectangle, kRect, kXrect, kArc, kCircle, kXarc,
  kXcircle, kFillup, kXfillup, kSymbol, kMarker, kCsymbl, kJustfy, kXsymbol, kHexstr, kNumber, kXnumber,
  kAxis, kLine, kDashl, kDashp, kChrcod, kIndxIand, kBboxAtend, kAxmode, kHexchar, kOperations
};

/* ---------------------------------------------------------------- generate */

static uint64_t g_state;

static uint64_t next(void) {
  g_state ^= g_state << 13;
  g_state ^= g_state >> 7;
  g_state ^= g_state << 17;
  return g_state;
}

static int below(int n) { return (int)(next() % (uint64_t)n); }
static double unit(void) { return (double)(next() >> 11) / 9007199254740992.0; }
static double within(double lo, double hi) { return lo + (hi - lo) * unit(); }

static void put_real(FILE* out, double v) {
  if (isnan(v)) fputs(" nan", out);
  else if (isinf(v)) fputs(v > 0 ? " inf" : " -inf", out);
  else fprintf(out, " %.9g", (double)(float)v);
}
static void put_int(FILE* out, int v) { fprintf(out, " %d", v); }

/* Near documents keep every argument in its sensible range: far points
 * draw differently in Ghostscript and cairo (each loses precision its own
 * way), so only these are compared by pixels across formats. */
static int g_near = 0;

/* A value in [lo, hi], now and then a far or a non-finite one. */
static double value(double lo, double hi) {
  static const double kFar[] = {1e5, -1e5, 3e5, -1.5e5, 4e6, -4e6, 1e7, 1e30, -1e30, 0.0};
  if (g_near) return within(lo, hi);
  const int r = below(1000);
  if (r < 12) return r % 3 == 0 ? NAN : r % 3 == 1 ? INFINITY : -INFINITY;
  if (r < 30) return kFar[below((int)(sizeof kFar / sizeof kFar[0]))];
  return within(lo, hi);
}
static double coordinate(void) { return value(-3.0, 25.0); }
static double finite_coordinate(void) { return within(-3.0, 25.0); }
static double height(void) { return value(0.05, 1.5); }
static double angle(void) { return value(-400.0, 400.0); }
static int small(int lo, int hi) {
  return below(50) == 0 && !g_near ? (int)(next() & 0x7fffffff) - 0x40000000 : lo + below(hi - lo + 1);
}

static const char* const kTexts[] = {
    "ABC", "Plume", "H\\sub{2}O", "x\\sup{2}+1", "(paren) text", "a(b", "\\co\\A", "", "1.5 cm",
    "0123456789", "The quick brown fox", "\\bk\\x", "Zz", "gamma \\sy g",
    "na\xC3\xAFve 20 \xC2\xB0" "C", "bad \xFF\xFE \xE2\x82\xAC end",
};

static void put_text(FILE* out, int* n) {
  const char* t = kTexts[below((int)(sizeof kTexts / sizeof kTexts[0]))];
  /* symbol and justfy read n characters from the caller's array: the
   * count may pass the text's end, but not the array's (256 characters). */
  *n = below(8) == 0 ? -2 + below(33) : (int)strlen(t);
  fprintf(out, " %d '%s'", *n, t);
}

static void put_data(FILE* out) {
  const int count = 1 + below(12), stride = 1 + below(3);
  put_int(out, count);
  put_int(out, stride);
  for (int k = 0; k < 2 * count; ++k) put_real(out, below(40) == 0 ? value(-5, 5) : within(-50.0, 50.0));
}

static void generate_call(FILE* out, int op) {
  int n;
  fprintf(out, "%d", op);
  switch (op) {
    case kPlot:
    case kXplot: {
      static const int kCodes[] = {2, 2, 2, 2, 3, 3, -2, -3, 0, 1, 4, -1};
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_int(out, kCodes[below((int)(sizeof kCodes / sizeof kCodes[0]))]);
      break;
    }
    case kOrigin:
      put_real(out, value(-5, 5));
      put_real(out, value(-5, 5));
      put_int(out, below(3) - 1);
      break;
    case kFactor: put_real(out, value(-0.5, 3.0)); break;
    case kViewport:
      for (int k = 0; k < 4; ++k) put_real(out, coordinate());
      break;
    case kPen: put_int(out, small(-1, 6)); put_int(out, small(-1, 7)); break;
    case kNewpen: put_int(out, small(-1, 6)); break;
    case kColor: put_int(out, small(-1, 9)); break;
    case kRgbcolor:
      for (int k = 0; k < 3; ++k) put_real(out, value(-0.2, 1.2));
      break;
    case kRtone: put_int(out, small(-2, 8)); break;
    case kDashln: put_int(out, small(-2, 14)); break;
    case kRectangle:
    case kRect:
      for (int k = 0; k < 4; ++k) put_real(out, coordinate());
      break;
    case kXrectangle:
    case kXrect:
      for (int k = 0; k < 4; ++k) put_real(out, coordinate());
      put_int(out, below(3));
      break;
    case kArc:
    case kXarc:
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_real(out, value(-5, 10));
      put_real(out, angle());
      put_real(out, angle());
      if (op == kXarc) put_int(out, below(3));
      break;
    case kCircle:
    case kXcircle:
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_real(out, value(-5, 10));
      if (op == kXcircle) put_int(out, below(3));
      break;
    case kXfillup: put_int(out, small(-2, 9)); put_int(out, small(-1, 7)); break;
    case kSymbol:
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_real(out, height());
      put_real(out, angle());
      put_text(out, &n);
      break;
    case kMarker:
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_real(out, height());
      put_real(out, angle());
      put_int(out, small(-2, 26));
      put_int(out, -1 - below(3));
      break;
    case kCsymbl:
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_int(out, small(-1, 6));
      put_real(out, height());
      put_int(out, small(-2, 26));
      break;
    case kJustfy:
      put_real(out, height());
      put_text(out, &n);
      break;
    case kXsymbol:
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_real(out, value(-1.0, 1.5));
      put_real(out, angle());
      put_int(out, small(-1, 14));
      put_text(out, &n);
      break;
    case kHexstr:
      put_int(out, small(0, 127));
      put_int(out, small(0, 127));
      break;
    case kNumber:
    case kXnumber:
      put_real(out, coordinate());
      put_real(out, coordinate());
      put_real(out, height());
      put_real(out, value(-1e4, 1e4));
      put_real(out, angle());
      put_int(out, small(-12, 95));
      if (op == kXnumber) put_int(out, small(-1, 14));
      break;
    case kAxis:
      put_real(out, finite_coordinate());
      put_real(out, finite_coordinate());
      put_real(out, within(0.0, 20.0));  /* the length: at most 20 */
      put_real(out, below(4) == 0 ? angle() : 90.0 * below(2));
      put_real(out, within(-100.0, 100.0));
      put_real(out, within(-10.0, 10.0));
      put_text(out, &n);
      break;
    case kLine:
      put_int(out, small(-2, 4));
      put_int(out, small(-1, 26));
      put_data(out);
      break;
    case kDashl: put_data(out); break;
    case kDashp:
      put_real(out, finite_coordinate());
      put_real(out, finite_coordinate());
      put_real(out, below(30) == 0 ? value(-1, 1) : within(0.05, 1.0));
      break;
    case kChrcod: put_text(out, &n); break;
    case kIndxIand: put_int(out, small(-5, 300)); put_int(out, small(-5, 300)); put_text(out, &n); break;
    case kBboxAtend: put_int(out, below(2)); break;
    case kAxmode: put_int(out, below(3)); break;
    case kHexchar: put_int(out, small(-2, 20)); break;
    default: break;
  }
  fputc('\n', out);
}

static void generate_document(FILE* out) {
  static const int kUnits[] = {8, 7, 9, 11, 21, 99};
  fprintf(out, "%d", kOpen);
  put_int(out, below(4) == 0 ? 0 : 1);
  put_int(out, kUnits[below((int)(sizeof kUnits / sizeof kUnits[0]))]);
  put_int(out, below(8) == 0 ? 1 + below(2) : 0);
  fputc('\n', out);
  const int calls = 5 + below(120);
  for (int c = 0; c < calls; ++c) {
    int op = below(100);
    /* Mostly pen motions, as plotting code is. */
    if (op < 45) op = kPlot;
    else op = kXplot + (op - 45) % (kOperations - kXplot);
    if (op == kOpen || op == kClose) op = kPlot;
    generate_call(out, op);
  }
  fprintf(out, "%d %d", kClose, below(2));
  put_real(out, coordinate());
  put_real(out, coordinate());
  fputc('\n', out);
}

/* --------------------------------------------------------------------- run */

typedef struct {
  const char* p;
} Cursor;

static float real_arg(Cursor* c) {
  char* end;
  const float v = strtof(c->p, &end);
  c->p = end;
  return v;
}
static int32_t int_arg(Cursor* c) {
  char* end;
  const long v = strtol(c->p, &end, 10);
  c->p = end;
  return (int32_t)v;
}
/* The quoted text at the end of the line, into a buffer of 32-bit words
 * (symbol and justfy take their characters as an integer array). */
static size_t text_arg(Cursor* c, int32_t* words, size_t capacity) {
  const char* open = strchr(c->p, '\'');
  const char* close = open != NULL ? strrchr(open + 1, '\'') : NULL;
  memset(words, ' ', capacity * sizeof words[0]);
  if (open == NULL || close == NULL) return 0;
  size_t len = (size_t)(close - open - 1);
  if (len > capacity * sizeof words[0]) len = capacity * sizeof words[0];
  memcpy(words, open + 1, len);
  return len;
}

typedef struct {
  int32_t count, stride;
  float xs[64], ys[64];
} Data;

static void data_arg(Cursor* c, Data* d) {
  d->count = int_arg(c);
  d->stride = int_arg(c);
  memset(d->xs, 0, sizeof d->xs);
  memset(d->ys, 0, sizeof d->ys);
  for (int32_t k = 0; k < d->count; ++k) d->xs[k * d->stride] = real_arg(c);
  for (int32_t k = 0; k < d->count; ++k) d->ys[k * d->stride] = real_arg(c);
  const float length = 8.0f;
  scale_(d->xs, &length, &d->count, &d->stride);
  scale_(d->ys, &length, &d->count, &d->stride);
}

static int g_document = 0;
static const char* g_extension = "eps";

static void run_call(const char* line, const char* prefix) {
  Cursor c = {line};
  const int op = int_arg(&c);
  float a, b, x, y, h, r, s, e, v;
  int32_t i, j, k, n;
  int32_t words[64];
  float widths[4];  /* justfy's four distances */
  size_t len;
  Data d;
  switch (op) {
    case kOpen: {
      const int32_t open = 1, orientation = int_arg(&c), unit = int_arg(&c), units = int_arg(&c);
      char path[512];
      snprintf(path, sizeof path, "%s%05d.%s", prefix, ++g_document, g_extension);
      plume_connect_unit(unit, path);
      hplots_(&open, &orientation, &unit, &units);
      break;
    }
    case kClose:
      i = int_arg(&c);
      x = real_arg(&c);
      y = real_arg(&c);
      if (i == 0) {
        const int32_t zero = 0;
        hplots_(&zero, &zero, &zero, &zero);
      } else {
        const int32_t code = 999;
        plot_(&x, &y, &code);
      }
      break;
    case kPlot:
    case kXplot:
      x = real_arg(&c), y = real_arg(&c), i = int_arg(&c);
      if (op == kPlot) plot_(&x, &y, &i);
      else xplot_(&x, &y, &i);
      break;
    case kOrigin: x = real_arg(&c), y = real_arg(&c), i = int_arg(&c); origin_(&x, &y, &i); break;
    case kFactor: a = real_arg(&c); factor_(&a); break;
    case kWhere: where_(&x, &y, &a); break;
    case kViewport:
      x = real_arg(&c), y = real_arg(&c), a = real_arg(&c), b = real_arg(&c);
      viewport_(&x, &y, &a, &b);
      break;
    case kNewpage: newpage_(); break;
    case kPen: i = int_arg(&c), j = int_arg(&c); pen_(&i, &j); break;
    case kNewpen: i = int_arg(&c); newpen_(&i); break;
    case kColor: i = int_arg(&c); color_(&i); break;
    case kRgbcolor: x = real_arg(&c), y = real_arg(&c), a = real_arg(&c); rgbcolor_(&x, &y, &a); break;
    case kRtone: i = int_arg(&c); (void)rtone_(&i); break;
    case kDashln: i = int_arg(&c); dashln_(&i); break;
    case kRectangle:
    case kRect:
    case kXrectangle:
    case kXrect:
      x = real_arg(&c), y = real_arg(&c), a = real_arg(&c), b = real_arg(&c);
      if (op == kRectangle) rectangle_(&x, &y, &a, &b);
      if (op == kRect) rect_(&x, &y, &a, &b);
      if (op == kXrectangle) i = int_arg(&c), xrectangle_(&x, &y, &a, &b, &i);
      if (op == kXrect) i = int_arg(&c), xrect_(&x, &y, &a, &b, &i);
      break;
    case kArc:
    case kXarc:
      x = real_arg(&c), y = real_arg(&c), r = real_arg(&c), s = real_arg(&c), e = real_arg(&c);
      if (op == kArc) arc_(&x, &y, &r, &s, &e);
      else i = int_arg(&c), xarc_(&x, &y, &r, &s, &e, &i);
      break;
    case kCircle:
    case kXcircle:
      x = real_arg(&c), y = real_arg(&c), r = real_arg(&c);
      if (op == kCircle) circle_(&x, &y, &r);
      else i = int_arg(&c), xcircle_(&x, &y, &r, &i);
      break;
    case kFillup: fillup_(); break;
    case kXfillup: i = int_arg(&c), j = int_arg(&c); xfillup_(&i, &j); break;
    case kSymbol:
      x = real_arg(&c), y = real_arg(&c), h = real_arg(&c), a = real_arg(&c), n = int_arg(&c);
      text_arg(&c, words, 64);
      symbol_(&x, &y, &h, words, &a, &n);
      break;
    case kMarker:
      x = real_arg(&c), y = real_arg(&c), h = real_arg(&c), a = real_arg(&c), i = int_arg(&c), n = int_arg(&c);
      symbol_(&x, &y, &h, &i, &a, &n);
      break;
    case kCsymbl:
      x = real_arg(&c), y = real_arg(&c), i = int_arg(&c), h = real_arg(&c), j = int_arg(&c);
      csymbl_(&x, &y, &i, &h, &j);
      break;
    case kJustfy:
      h = real_arg(&c), n = int_arg(&c);
      text_arg(&c, words, 64);
      justfy_(widths, &h, words, &n);
      break;
    case kXsymbol:
      x = real_arg(&c), y = real_arg(&c), h = real_arg(&c), a = real_arg(&c), k = int_arg(&c), n = int_arg(&c);
      len = text_arg(&c, words, 64);
      xsymbol_(&x, &y, &h, (const char*)words, &a, &n, &k, len);
      break;
    case kHexstr:
      i = int_arg(&c), j = int_arg(&c);
      hexstr_(&i, &j);
      break;
    case kNumber:
    case kXnumber:
      x = real_arg(&c), y = real_arg(&c), h = real_arg(&c), v = real_arg(&c), a = real_arg(&c), i = int_arg(&c);
      if (op == kNumber) number_(&x, &y, &h, &v, &a, &i);
      else k = int_arg(&c), xnumber_(&x, &y, &h, &v, &a, &i, &k);
      break;
    case kAxis:
      x = real_arg(&c), y = real_arg(&c), r = real_arg(&c), a = real_arg(&c), s = real_arg(&c), e = real_arg(&c);
      n = int_arg(&c);
      len = text_arg(&c, words, 64);
      axis_(&x, &y, (const char*)words, &n, &r, &a, &s, &e, len);
      break;
    case kLine:
      i = int_arg(&c), j = int_arg(&c);
      data_arg(&c, &d);
      line_(d.xs, d.ys, &d.count, &d.stride, &i, &j);
      break;
    case kDashl:
      data_arg(&c, &d);
      dashl_(d.xs, d.ys, &d.count, &d.stride);
      break;
    case kDashp: x = real_arg(&c), y = real_arg(&c), a = real_arg(&c); dashp_(&x, &y, &a); break;
    case kChrcod:
      n = int_arg(&c);
      len = text_arg(&c, words, 64);
      chrcod_((const char*)words, &n, len);
      break;
    case kIndxIand:
      i = int_arg(&c), j = int_arg(&c), n = int_arg(&c);
      len = text_arg(&c, words, 64);
      (void)iand_(&i, &j);
      (void)indx_((const char*)words, "b", len, 1);
      break;
    case kBboxAtend: i = int_arg(&c); bbox_atend_(&i); break;
    case kAxmode: i = int_arg(&c); axmode_(&i); break;
    case kHexchar: {
      char ch = ' ';
      i = int_arg(&c);
      hexchar_(&i, &ch, 1);
      break;
    }
    default: break;
  }
}

int main(int argc, char** argv) {
  if (argc == 5 && (strcmp(argv[1], "generate") == 0 || strcmp(argv[1], "generate-near") == 0)) {
    g_near = strcmp(argv[1], "generate-near") == 0;
    g_state = strtoull(argv[2], NULL, 10) * 0x9e3779b97f4a7c15ull + 1;
    const long count = strtol(argv[3], NULL, 10);
    FILE* out = fopen(argv[4], "w");
    if (out == NULL) return perror(argv[4]), 2;
    for (long k = 0; k < count; ++k) generate_document(out);
    return fclose(out) == 0 ? 0 : 2;
  }
  if (argc >= 4 && argc <= 7 && strcmp(argv[1], "run") == 0) {
    if (argc >= 5) g_extension = argv[4];
    if (argc >= 6) plume_crop_pages(strcmp(argv[5], "sheet") != 0);
    if (argc >= 7) plume_raster_dpi((int32_t)strtol(argv[6], NULL, 10));
    FILE* in = fopen(argv[2], "r");
    if (in == NULL) return perror(argv[2]), 2;
    char line[4096];
    while (fgets(line, sizeof line, in) != NULL) run_call(line, argv[3]);
    fclose(in);
    return 0;
  }
  fputs("usage: random_calls generate[-near] SEED COUNT SCRIPT | run SCRIPT PREFIX [EXTENSION [sheet|crop] [DPI]]\n", stderr);
  return 2;
}
