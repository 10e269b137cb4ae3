// Plume: the C++ face of the library. Value arguments; a routine that writes
// back into its arguments in the Fortran face returns those values instead.
// This is the library's one implementation; the Fortran-callable symbols of
// plume.h forward to it.
#pragma once

// The header needs C++17; the library itself is built as C++20.
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <type_traits>
#include <utility>

#include "plume/records.h"

// The shared library exports what the public headers declare, and nothing
// else: it is built with hidden visibility as the default.
#if defined(__GNUC__)
#pragma GCC visibility push(default)
#endif

namespace plume {

// The library's version, "major.minor.patch" (plume.h's PLUME_VERSION is
// the version of the headers a program was compiled with).
const char* version();

// A view of contiguous values: a pointer and a count, or any container with
// data() and size() (std::vector, std::array, std::span, a C array). Data
// routines read and write only within it.
template <class T>
class ArrayRef {
 public:
  constexpr ArrayRef() noexcept = default;
  constexpr ArrayRef(T* data, std::size_t size) noexcept : data_(data), size_(size) {}
  template <class Container,
            class = std::enable_if_t<
                !std::is_same_v<std::remove_cv_t<std::remove_reference_t<Container>>, ArrayRef> &&
                std::is_convertible_v<decltype(std::data(std::declval<Container&>())), T*>>>
  constexpr ArrayRef(Container&& values) noexcept  // NOLINT: converts like std::span
      : data_(std::data(values)), size_(std::size(values)) {}

  constexpr T* data() const noexcept { return data_; }
  constexpr std::size_t size() const noexcept { return size_; }
  constexpr T& operator[](std::size_t i) const noexcept { return data_[i]; }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

struct Point {
  float x;
  float y;
};

struct Where {
  float x;
  float y;
  float factor;
};

// Plot control
void hplots(int open, int orientation, int unit, int units);
void plot(float x, float y, int code);
void xplot(float x, float y, int code);
// Mode > 0 shifts, 0 sets, < 0 reports; returns the (x, y) the call leaves,
// which for a report is the origin in current user units.
Point origin(float x, float y, int mode);
// f > 0 sets the factor; returns f, or the last factor set when f <= 0.
float factor(float f);
Where where();
void viewport(float x1, float y1, float x2, float y2);
void newpage();

// Attributes
void pen(int pen_number, int tone);
void newpen(int pen_number);
// Returns the index used (an index outside 0..7 becomes 0).
int color(int color_index);
void rgbcolor(float red, float green, float blue);
float rtone(int tone);
void dashln(int pattern);

// Shapes
void rectangle(float x, float y, float width, float height);
void xrectangle(float x, float y, float width, float height, int fill);
void rect(float x1, float y1, float x2, float y2);
void xrect(float x1, float y1, float x2, float y2, int fill);
void arc(float x, float y, float radius, float start_angle, float end_angle);
void circle(float x, float y, float radius);
void xarc(float x, float y, float radius, float start_angle, float end_angle, int fill);
void xcircle(float x, float y, float radius, int fill);
void fillup();
void xfillup(int color_index, int tone);

// Stroke text. `text` holds the characters; n counts them as in the Fortran
// face (n > 0 text, n = 0 the first character alone). Only text.size()
// bytes are ever read.
void chrcod(std::string_view text, int n);
int indx(std::string_view string, std::string_view pattern);
int iand(int i, int j);
void symbol(float x, float y, float height, std::string_view text, float angle, int n);
// Centred symbol `marker`; n = -1 moves there, n <= -2 draws a line there first.
void symbol(float x, float y, float height, int marker, float angle, int n = -1);
void csymbl(float x, float y, int pen, float height, int marker);
std::array<float, 4> justfy(float height, std::string_view text, int n);

// PostScript font text
void xsymbol(float x, float y, float height, std::string_view text, float angle, int n, int font);
void hexstr(int i, int j);
// The hexadecimal digit of v, or `unchanged` when v is above 15.
char hexchar(int v, char unchanged = ' ');

// Annotation. Data arrays hold count values at a stride, followed by the
// scale pair that scale() stores; the views bound every access.
void number(float x, float y, float height, float value, float angle, int format_code);
void xnumber(float x, float y, float height, float value, float angle, int format_code, int font);
void axis(float x, float y, std::string_view label, int label_count, float axis_length,
          float angle, float first_value, float delta_value);
void scale(ArrayRef<float> values, float axis_length, int count, int stride);
void line(ArrayRef<const float> xs, ArrayRef<const float> ys, int count, int stride,
          int line_type, int marker);
void dashl(ArrayRef<const float> xs, ArrayRef<const float> ys, int count, int stride);
void dashp(float x, float y, float dash_length);

// Axis numbering mode, a library extension: every tick numbered (the
// default), or only the even ticks, in figures of 0.075 x 2.54 units.
enum class AxisNumbering { every_tick, alternate_ticks };
void axis_numbering(AxisNumbering mode);

// Documents opened after bounding_box_atend(true) announce
// "%%BoundingBox: (atend)" on their second line, for importers that crop to
// the box (gs -dEPSCrop, EPS importers). Their box is in sheet coordinates
// (through the orientation transform), given after "%%Trailer", and also
// filled into the second line at the close where the file allows it (a
// regular file, or a document still in the unit's buffer).
void bounding_box_atend(bool on);

// Output units: connect `unit` to `path` before its first line is written.
// Returns false for the standard units 0, 5 and 6.
bool connect_unit(int unit, std::string_view path);
// Number of output failures reported so far (unwritable file, full disk).
int write_failures();
// Number of lines left out of documents so far because an operand was not
// finite, or an arc reached beyond what interpreters build (each close
// reports its own on standard error).
int dropped_lines();
// Number of lines written so far with an operand clamped to the widest value
// its field prints (each close reports its own on standard error).
int clamped_lines();

// Output formats. A unit connected to a path ending in .pdf, .svg or .png
// (in any case) writes that format from the same calls; every other path
// writes EPS. PDF has one page per newpage; SVG and PNG write page k > 1 to
// NAME-k.svg / NAME-k.png. Each page is cropped to everything drawn on it
// plus 2 points unless crop_pages(false); PNG has 150 dots per inch unless
// raster_dpi() says otherwise. Both apply to units connected afterwards.
void crop_pages(bool on);
void raster_dpi(int dpi);

// The classic plotter dialect (library plume_classic gives it its Fortran
// names). plots() opens a plot on unit 8 in inches, portrait, whose box
// covers everything drawn; pinitf() the same on `path` (format by
// extension). While such a plot is open, a second plots or pinitf is a new
// page, number() takes a count of decimals, newpen() selects a coloured pen
// and the annotation sizes itself in the user unit. plote() ends it (as
// plot with 999 does), frame() starts the next page with the origin at the
// corner, gunit("in" or "cm") chooses the user unit (false for another).
void plots();
void pinitf(std::string_view path);
void plote();
void frame();
bool gunit(std::string_view unit);
// Pen `pen` draws in this colour at later newpen(pen) calls (components 0 to 1).
void setcol(int pen, float red, float green, float blue);
// A rectangle filled with shade k: black for k <= 0, then the greys 0.2,
// 0.4, 0.6, 0.75, 0.85 and 0.95 for k = 1 to 6 (and above).
void shade(float x, float y, float width, float height, int k);
// plot() whose drawn segments (codes 2 and -2) are dashed.
void plotd(float x, float y, int code);

enum class Orientation { portrait, landscape };
enum class Units { centimetres, reduced_centimetres, twenty_points };
enum class Pen { up = 3, down = 2 };
inline void plot(float x, float y, Pen pen) { plot(x, y, static_cast<int>(pen)); }

// One plot on a unit of its own, connected to `path`: opened by the
// constructor, closed (and written) by the destructor.
class Document {
 public:
  explicit Document(std::string_view path, Orientation orientation = Orientation::portrait,
                    Units units = Units::centimetres);
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  int unit() const { return unit_; }

 private:
  int unit_;
};

}  // namespace plume

#if defined(__GNUC__)
#pragma GCC visibility pop
#endif
