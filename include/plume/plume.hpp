// Plume: the C++ face of the library. Value arguments; a routine that writes
// back into its arguments in the Fortran face returns those values instead.
// This is the library's one implementation; the Fortran-callable symbols of
// plume.h forward to it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "plume/records.h"

namespace plume {

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
// scale pair that scale() stores; spans bound every access.
void number(float x, float y, float height, float value, float angle, int format_code);
void xnumber(float x, float y, float height, float value, float angle, int format_code, int font);
void axis(float x, float y, std::string_view label, int label_count, float axis_length,
          float angle, float first_value, float delta_value);
void scale(std::span<float> values, float axis_length, int count, int stride);
void line(std::span<const float> xs, std::span<const float> ys, int count, int stride,
          int line_type, int marker);
void dashl(std::span<const float> xs, std::span<const float> ys, int count, int stride);
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

}  // namespace plume
