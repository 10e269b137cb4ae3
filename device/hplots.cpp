// Opening and closing a plot: the head and trailer of the EPS document.
#include <cstdio>
#include <span>
#include <string_view>

#include "device/document.hpp"
#include "device/output_unit.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
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

// Bit patterns of the scales of unit systems 0, 1 and 2.
constexpr float kUnitScales[] = {28.346457f, 20.043972f, 20.0f};

void open_plot(int orientation, int unit, int units) {
  m00000_.move_pending = 0;
  p00000_.unit_system = units;
  p00000_.out_unit = unit;
  p00000_.orientation = orientation;
  p00001_.origin_x = p00001_.origin_y = 0.0f;
  m00000_.bbox_xmax = m00000_.bbox_ymax = 0;
  device::take_dropped_count();
  device::write_text(kHead[0]);
  if (g_bbox_atend) device::write_text("%%BoundingBox: (atend)");
  for (auto line : std::span(kHead).subspan(1)) device::write_text(line);
  for (auto line : kFontProcedures) {
    device::write_text(line);
    device::write_text(" exch scalefont setfont} def");
  }
  device::write_orientation_transform();
  device::write_text("gsave");
  if (units >= 0 && units <= 2) a00000_.units_scale = kUnitScales[units];
  pen(1, 0);
  color(0);
  l00001_.color_index = 0;
  m00001_.clip_xmin = m00001_.clip_ymin = 0.0f;
  const bool portrait = orientation == 1;
  m00001_.clip_xmax = portrait ? 556.0f : 797.0f;
  m00001_.clip_ymax = portrait ? 797.0f : 556.0f;
}

void close_plot() {
  device::write_text("stroke");
  device::write_text("showpage");
  if (g_bbox_atend) device::write_text("%%Trailer");
  const auto& b = m00000_;
  const bool portrait = p00000_.orientation == 1;
  device::Record r;
  r.text("%%BoundingBox:");
  if (portrait) {
    r.integer(b.bbox_xmin, 5).integer(b.bbox_ymin, 5).integer(b.bbox_xmax, 5).integer(b.bbox_ymax, 5);
  } else {
    r.integer(b.bbox_ymin, 5).integer(b.bbox_xmin, 5).integer(b.bbox_ymax, 5).integer(b.bbox_xmax, 5);
  }
  r.write();
  const int unit = p00000_.out_unit;
  const std::string path = device::document().path();
  device::close_unit(unit);
  if (const int dropped = device::take_dropped_count(); dropped > 0) {
    std::fprintf(stderr,
                 "plume: %d line%s with a non-finite operand not written to unit %d (%s)\n",
                 dropped, dropped == 1 ? "" : "s", unit, path.c_str());
  }
}

}  // namespace

namespace device {
void write_orientation_transform() {
  if (p00000_.orientation == 1) {
    write_text("5 5 translate ");
  } else {
    write_text("590 5 translate ");
    write_text("90 rotate ");
  }
}
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
