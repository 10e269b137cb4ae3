// Opening and closing a plot: the head and trailer of the EPS document.
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string_view>

#include "classic/state.hpp"
#include "device/document.hpp"
#include "device/output_unit.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "device/unit_sink.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr std::string_view kHead[] = {
    "%!PS-Adobe-2.0 EPSF-2.0",
    "/pM {stroke newpath moveto} def",
    "/pL {lineto} def",
    "/pQ {moveto} def",
    "/rM {rmoveto} def",
    "/rL {rlineto} def",
    "2 setlinejoin",
};

constexpr std::string_view kFontProcedures[] = {
    "/tR {/Times-Roman findfont ",       "/tI {/Times-Italic findfont ",
    "/tB {/Times-Bold findfont ",        "/tBI {/Times-BoldItalic findfont ",
    "/hV {/Helvetica-Bold findfont ",    "/pI {/Palatino-Italic findfont ",
    "/cR {/Courier findfont ",           "/hR {/Helvetica findfont ",
    "/hI {/Helvetica-Oblique findfont ", "/hBI {/Helvetica-BoldOblique findfont ",
    "/sY {/Symbol findfont ",            "/kM {/Ryumin-Light-H findfont ",
    "/kG {/GothicBBB-Medium-H findfont ",
};

// Opt-in: announce the box in the header, for importers that crop.
bool g_bbox_atend = false;
// Where the announcement stands in the open document, to fill it in at the
// close; the blanks reserve room for the four numbers.
constexpr std::string_view kAtend = "%%BoundingBox: (atend)            ";
std::size_t g_atend_offset = 0;
bool g_atend_pending = false;
// Reads the opted-in document's lines on their way out, for the extent of
// everything drawn (null in a build that cannot measure text).
std::shared_ptr<device::ExtentMeter> g_meter;

// The unit of the plot that is open, or -1: the next open closes it first,
// and a signal handler ends its document.
std::atomic<int> g_open_unit = -1;

// Bit patterns of the scales of unit systems 0, 1 and 2.
constexpr float kUnitScales[] = {28.346457f, 20.043972f, 20.0f};

void close_plot();

void open_plot(int orientation, int unit, int units) {
  if (const int open = g_open_unit.load(); open >= 0) {
    // A plot left open would lose its trailer (or, in PDF, SVG and PNG, its
    // drawing): it is closed as its own close would.
    std::fprintf(stderr, "plume: a plot opened on unit %d while the plot on unit %d was open: that plot closed first\n",
                 unit, open);
    p00000_.out_unit = open;
    close_plot();
  }
  classic::plot_ended();  // hplots opens a plot of its own dialect
  device::guard_against_fatal_signals();
  m00000_.move_pending = 0;
  p00000_.unit_system = units;
  p00000_.out_unit = unit;
  p00000_.orientation = orientation;
  p00001_.origin_x = p00001_.origin_y = 0.0f;
  m00000_.bbox_xmax = m00000_.bbox_ymax = 0;
  device::reset_document_counts();
  device::write_text(kHead[0]);
  g_atend_pending = g_bbox_atend;
  if (g_bbox_atend) {
    g_meter = device::make_extent_meter();
    if (g_meter) device::document().observe(g_meter);
    g_atend_offset = device::document().offset();
    device::write_text(kAtend);
  }
  for (auto line : std::span(kHead).subspan(1)) device::write_text(line);
  for (auto line : kFontProcedures) {
    device::write_text(line);
    device::write_text(" exch scalefont setfont} def");
  }
  device::write_orientation_transform();
  device::write_text("gsave");
  g_open_unit = unit;
  if (units >= 0 && units <= 2) a00000_.units_scale = kUnitScales[units];
  pen(1, 0);
  color(0);
  l00001_.color_index = 0;
  m00001_.clip_xmin = m00001_.clip_ymin = 0.0f;
  const bool portrait = orientation == 1;
  m00001_.clip_xmax = portrait ? 556.0f : 797.0f;
  m00001_.clip_ymax = portrait ? 797.0f : 556.0f;
}

struct Box {
  std::int32_t x0, y0, x1, y1;
};

// The box as the trailer has always carried it: page coordinates, with the
// axes swapped in landscape.
Box trailer_box() {
  const auto& b = m00000_;
  if (p00000_.orientation == 1) return {b.bbox_xmin, b.bbox_ymin, b.bbox_xmax, b.bbox_ymax};
  return {b.bbox_ymin, b.bbox_xmin, b.bbox_ymax, b.bbox_xmax};
}

// The box on the sheet, through the orientation transform: what importers
// that crop need.
Box sheet_box() {
  const auto& b = m00000_;
  const auto add = [](std::int32_t a, std::int32_t c) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{a} + c, INT32_MIN, INT32_MAX));
  };
  const auto from_590 = [](std::int32_t a) {  // 590 - a, in 64 bits: -INT32_MIN overflows
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(590 - std::int64_t{a}, INT32_MIN, INT32_MAX));
  };
  if (p00000_.orientation == 1) return {add(b.bbox_xmin, 5), add(b.bbox_ymin, 5), add(b.bbox_xmax, 5), add(b.bbox_ymax, 5)};
  return {from_590(b.bbox_ymax), add(b.bbox_xmin, 5), from_590(b.bbox_ymin), add(b.bbox_xmax, 5)};
}

// The extent of everything drawn, read by the meter: the box rounded
// outward, and the exact extent for %%HiResBoundingBox:.
bool measured_box(Box& box, double (&exact)[4]) {
  if (!g_meter) return false;
  device::document().flush();  // the meter reads what has left the buffer
  device::document().observe(nullptr);
  const bool drawn = g_meter->extent(exact[0], exact[1], exact[2], exact[3]);
  g_meter.reset();
  if (!drawn) return false;
  const auto to_int = [](double v) {
    return static_cast<std::int32_t>(std::clamp(v, -99999.0, 99999.0));
  };
  box = {to_int(std::floor(exact[0])), to_int(std::floor(exact[1])), to_int(std::ceil(exact[2])),
         to_int(std::ceil(exact[3]))};
  return true;
}

// The bounding box line of the trailer, "%%BoundingBox:" in format (a,4i5).
device::Record box_record(const Box& box) {
  device::Record r;
  r.text("%%BoundingBox:").integer(box.x0, 5).integer(box.y0, 5).integer(box.x1, 5).integer(box.y1, 5);
  return r;
}

void close_plot() {
  classic::plot_ended();
  g_open_unit = -1;
  device::write_text("stroke");
  device::write_text("showpage");
  if (g_atend_pending) device::write_text("%%Trailer");
  Box box = g_atend_pending ? sheet_box() : trailer_box();
  double exact[4];
  const bool measured = g_atend_pending && measured_box(box, exact);
  if (measured) {
    // to_chars: a decimal point whatever the program's locale.
    char hires[160] = "%%HiResBoundingBox:";
    char* end = hires + std::strlen(hires);
    for (const double v : exact) {  // clamped as the box's integers are: at most 10 characters each
      *end++ = ' ';
      end = std::to_chars(end, hires + sizeof hires, std::clamp(v, -99999.0, 99999.0), std::chars_format::fixed, 3)
                .ptr;
    }
    device::write_text(std::string_view(hires, static_cast<std::size_t>(end - hires)));
  }
  // The box stays the document's last line, where plotting code finds it.
  device::Record r = box_record(box);
  r.write();
  // Importers that crop read the box from the header: fill it in where the
  // file allows (a pipe keeps "(atend)" and the box in the trailer).
  if (g_atend_pending && r.view().size() == kAtend.size()) {
    device::document().overwrite(g_atend_offset, r.view());
  }
  g_atend_pending = false;
  const int unit = p00000_.out_unit;
  const std::string path = device::document().path();
  device::close_unit(unit);
  device::report_document_counts(unit, path);
}

}  // namespace

namespace device {
int open_plot_unit() { return g_open_unit.load(std::memory_order_relaxed); }
void forget_open_plot() { g_open_unit = -1; }

// The close's lines with what the plot state holds now (the measured box
// of an opted-in document needs the meter, which a handler cannot run: its
// trailer holds the pen motions' box on the sheet).
std::size_t open_plot_trailer(char* out, std::size_t capacity) {
  if (open_plot_unit() < 0) return 0;
  const Record box = box_record(g_atend_pending ? sheet_box() : trailer_box());
  const std::string_view parts[] = {"% the program ended here, before it closed the plot\n", "stroke\n",
                                    "showpage\n", g_atend_pending ? "%%Trailer\n" : "", box.view(), "\n"};
  std::size_t n = 0;
  for (const auto part : parts) {
    if (part.size() > capacity - n) return 0;
    std::memcpy(out + n, part.data(), part.size());
    n += part.size();
  }
  return n;
}

void write_orientation_transform() {
  if (p00000_.orientation == 1) {
    write_text("5 5 translate ");
  } else {
    write_text("590 5 translate ");
    write_text("90 rotate ");
  }
}
bool bounding_box_atend_on() { return g_bbox_atend; }
}  // namespace device

void bounding_box_atend(bool on) { g_bbox_atend = on; }

void hplots(int open, int orientation, int unit, int units) {
  if (open != 0) {
    open_plot(orientation, unit, units);
  } else {
    close_plot();
  }
}

}  // namespace plume

extern "C" void hplots_(const int32_t* open, const int32_t* orientation, const int32_t* unit,
                        const int32_t* units) {
  plume::hplots(*open, *orientation, *unit, *units);
}

extern "C" void bbox_atend_(const int32_t* on) { plume::bounding_box_atend(*on != 0); }
