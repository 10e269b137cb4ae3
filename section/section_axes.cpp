#include "section/section_axes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "plume/plume.hpp"
#include "section/page_text.hpp"

namespace section {
namespace {

constexpr int kMove = 3;
constexpr int kDraw = 2;
constexpr double kNumberHeight = 0.28;  // xsymbol heights: the font is 1.5 times as large
constexpr double kAxisTitleHeight = 0.3;
constexpr double kLabelHeight = 0.22;
constexpr double kTitleHeight = 0.4;
constexpr double kMajorTick = 0.2;
constexpr double kMinorTick = 0.1;
constexpr double kTickGap = 0.12;      // from a tick's end to its number
constexpr double kNumberSpace = 0.5;   // least room between neighbouring numbers
constexpr double kLabelGap = 0.15;     // from the frame to the trace labels
constexpr double kCapHeight = 0.72 * 1.5;  // Helvetica's capitals, in xsymbol heights

double cap(double height) { return kCapHeight * height; }

struct AxisTicks {
  std::vector<NumberedTick> numbered;
  std::vector<double> minor_cm;
};

// Ticks of `axis` (data values), numbers beside each other along it when
// `along` (their widths then set the step), stacked otherwise.
AxisTicks make_ticks(const AxisScale& axis, bool along, bool integers, std::optional<double> clock_zero) {
  const double zero = clock_zero.value_or(0);
  const AxisScale shown{axis.low + zero, axis.high + zero, axis.length};
  const auto choose = [&](double gap) {
    Ticks t = clock_zero ? clock_ticks(shown, gap) : round_ticks(shown, gap);
    if (integers && t.step < 1) t = {1, 1, 0};
    return t;
  };
  const auto text = [&](const Ticks& t, double v) {
    if (!clock_zero) return tick_text(v, t.decimals);
    return clock_text(v, t.decimals, std::fmod(t.step, 60) != 0);
  };
  // Stacked numbers read best some 1.5 cm apart.
  Ticks t = choose(along ? 1.0 : 1.5);
  for (int attempt = 0; along && attempt < 4; ++attempt) {
    double widest = 0;
    for (const double v : t.at(shown, t.step)) widest = std::max(widest, text_width(text(t, v), kNumberHeight, Font::helvetica));
    const double gap = widest + kNumberSpace;
    if (t.step / shown.per_cm() >= gap) break;
    t = choose(gap);
  }
  AxisTicks out;
  for (const double v : t.at(shown, t.step)) out.numbered.push_back({shown.at(v), text(t, v)});
  for (const double v : t.at(shown, t.minor)) out.minor_cm.push_back(shown.at(v));
  return out;
}

AxisTicks time_ticks(const Section& s, const Options& o) {
  return make_ticks(s.time, !o.drawing.vertical, false, s.epoch_zero);
}
AxisTicks position_ticks(const Section& s, const Options& o) {
  return make_ticks(s.distance, o.drawing.vertical, s.placement == Placement::order, std::nullopt);
}

// One side of the frame: the page point `along` cm from the axis start and
// `out` cm outside the frame.
using Side = std::function<std::pair<double, double>(double along, double out)>;

void line(const Side& side, double along, double out0, double out1) {
  const auto [x0, y0] = side(along, out0);
  const auto [x1, y1] = side(along, out1);
  plume::plot(static_cast<float>(x0), static_cast<float>(y0), kMove);
  plume::plot(static_cast<float>(x1), static_cast<float>(y1), kDraw);
}

void draw_ticks(const Side& side, const AxisTicks& t) {
  for (const double u : t.minor_cm) line(side, u, 0, kMinorTick);
  for (const NumberedTick& n : t.numbered) line(side, n.at_cm, 0, kMajorTick);
}

double widest(const AxisTicks& t) {
  double w = 0;
  for (const NumberedTick& n : t.numbered) w = std::max(w, text_width(n.text, kNumberHeight, Font::helvetica));
  return w;
}

// Printable ASCII for xsymbol: a backslash doubled so that it shows.
std::string font_text(std::string_view text, std::size_t limit) {
  std::string out;
  for (const char c : text.substr(0, std::min(text.size(), limit))) {
    if (c == '\\') out += '\\';
    out += c >= ' ' && c < 127 ? c : '?';
  }
  return out;
}

// Labels beside the baselines, skipping those that would touch the last
// one drawn.
void add_labels(const Section& s, const Options& o, PageText& text) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < s.traces.size(); ++i) {
    if (s.traces[i].drawn) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return s.traces[a].place < s.traces[b].place; });
  const double least = 1.3 * cap(kLabelHeight);
  double last = -1e9;
  for (const std::size_t i : order) {
    const double at = s.distance.at(s.traces[i].place);
    if (at - last < least) continue;
    last = at;
    const TraceEntry& e = s.traces[i];
    const std::string label = font_text(e.label.empty() ? std::to_string(i + 1) : e.label, 40);
    if (o.drawing.vertical) {
      text.add(PageLayout::kLeft + at + cap(kLabelHeight) / 2, PageLayout::kBottom - kLabelGap, kLabelHeight, label,
               Align::right, 90);
    } else {
      text.add(PageLayout::kRight + kLabelGap, PageLayout::kBottom + at - cap(kLabelHeight) / 2, kLabelHeight, label,
               Align::left);
    }
  }
}

void draw_box() {
  const auto l = static_cast<float>(PageLayout::kLeft), r = static_cast<float>(PageLayout::kRight);
  const auto b = static_cast<float>(PageLayout::kBottom), t = static_cast<float>(PageLayout::kTop);
  plume::plot(l, b, kMove);
  plume::plot(r, b, kDraw);
  plume::plot(r, t, kDraw);
  plume::plot(l, t, kDraw);
  plume::plot(l, b, kDraw);
}

}  // namespace

std::string position_axis_title(const Section& s) {
  switch (s.placement) {
    case Placement::distance_km: return "Distance (km)";
    case Placement::distance_deg: return "Distance (deg)";
    case Placement::distance_m: return "Distance (m)";
    case Placement::offset_m: return "Offset (m)";
    case Placement::offset_km: return "Offset (km)";
    case Placement::position: return "Position";
    case Placement::azimuth: return "Azimuth (deg)";
    case Placement::backazimuth: return "Back azimuth (deg)";
    case Placement::order: return s.sorted_by_name ? "Trace (by name)" : "Trace number";
  }
  return "";
}

std::string time_axis_title(const Section& s, const Options& o) {
  char reduced[64] = "";
  if (o.reduce) std::snprintf(reduced, sizeof reduced, " - distance/%g", *o.reduce);
  if (s.epoch_zero) {
    return std::string("UTC time") + reduced + " from " + date_text(*s.epoch_zero + s.time.low);
  }
  return std::string("Time") + reduced + " (s)";
}

std::vector<NumberedTick> time_axis_numbers(const Section& s, const Options& o) { return time_ticks(s, o).numbered; }
std::vector<NumberedTick> position_axis_numbers(const Section& s, const Options& o) {
  return position_ticks(s, o).numbered;
}

void draw_frame(const Section& s, const Options& o) {
  using PL = PageLayout;
  const bool vertical = o.drawing.vertical;
  const AxisTicks time = time_ticks(s, o);
  const AxisTicks position = position_ticks(s, o);
  // The bottom and left sides carry numbers; the top carries the
  // positions when time runs downwards.
  const Side bottom = [](double u, double out) { return std::pair{PL::kLeft + u, PL::kBottom - out}; };
  const Side left_up = [](double u, double out) { return std::pair{PL::kLeft - out, PL::kBottom + u}; };
  const Side left_down = [](double u, double out) { return std::pair{PL::kLeft - out, PL::kTop - u}; };
  const Side top = [](double u, double out) { return std::pair{PL::kLeft + u, PL::kTop + out}; };
  draw_box();
  const AxisTicks& along_x = vertical ? position : time;
  const AxisTicks& along_y = vertical ? time : position;
  draw_ticks(vertical ? top : bottom, along_x);
  draw_ticks(vertical ? left_down : left_up, along_y);

  PageText text;
  const double number_out = kMajorTick + kTickGap;
  // Numbers along x, and the axis title beyond them.
  const std::string x_title = vertical ? position_axis_title(s) : time_axis_title(s, o);
  const std::string y_title = vertical ? time_axis_title(s, o) : position_axis_title(s);
  double title_y = PL::kTop + 0.5;
  if (vertical) {
    for (const NumberedTick& n : along_x.numbered) text.add(PL::kLeft + n.at_cm, PL::kTop + number_out, kNumberHeight, n.text, Align::centre);
    const double y = PL::kTop + number_out + cap(kNumberHeight) + 0.35;
    text.add(PL::kLeft + PL::kWidth / 2, y, kAxisTitleHeight, font_text(x_title, 80), Align::centre);
    title_y = y + cap(kAxisTitleHeight) + 0.5;
  } else {
    for (const NumberedTick& n : along_x.numbered) {
      text.add(PL::kLeft + n.at_cm, PL::kBottom - number_out - cap(kNumberHeight), kNumberHeight, n.text, Align::centre);
    }
    const double y = PL::kBottom - number_out - cap(kNumberHeight) - 0.35 - cap(kAxisTitleHeight);
    text.add(PL::kLeft + PL::kWidth / 2, y, kAxisTitleHeight, font_text(x_title, 80), Align::centre);
  }
  // Numbers left of the frame, right-aligned, and the axis title turned.
  for (const NumberedTick& n : along_y.numbered) {
    const double y = vertical ? PL::kTop - n.at_cm : PL::kBottom + n.at_cm;
    text.add(PL::kLeft - number_out, y - cap(kNumberHeight) / 2, kNumberHeight, n.text, Align::right);
  }
  const double title_x = PL::kLeft - number_out - widest(along_y) - 0.3;
  text.add(title_x, PL::kBottom + PL::kHeight / 2, kAxisTitleHeight, font_text(y_title, 80), Align::centre, 90);

  add_labels(s, o, text);
  if (!o.title.empty()) {
    std::string title;
    try {
      title = drawable_title(o.title);
    } catch (const UsageError&) {  // refused by the command line; other callers get it made safe
      title = font_text(o.title, 60);
    }
    // Long titles are set smaller, to the width of the frame and labels.
    const double room = PL::kWidth + 2.5;
    const double height = std::min(kTitleHeight, kTitleHeight * room / text_width(title, kTitleHeight, Font::helvetica_bold));
    text.add(PL::kLeft, title_y, height, title, Align::left, 0, Font::helvetica_bold);
  }
  text.draw();
}

}  // namespace section
