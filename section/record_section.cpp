#include "section/record_section.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <span>

#include "plume/plume.hpp"
#include "section/formats.hpp"
#include "section/input_error.hpp"
#include "section/wiggle.hpp"

namespace section {
namespace {

constexpr double kKmPerDegree = 111.19492664;  // mean Earth radius 6371 km
constexpr int kMove = 3;
constexpr int kDraw = 2;
constexpr int kLabelFont = 12;      // Helvetica-Bold, for the title
constexpr float kLabelHeight = 0.2f;
constexpr float kLabelGap = 0.3f;   // least vertical distance between trace labels
constexpr float kTitleHeight = 0.35f;
constexpr double kFarOffPage = 1e4;  // centimetres
constexpr double kCmPerInch = 2.54;

// Pass 1: one entry per trace, its extent from the runs.
class HeaderCollector : public TraceVisitor {
 public:
  explicit HeaderCollector(std::vector<TraceEntry>& traces) : traces_(traces) {}
  void start_file(std::vector<std::size_t>& bases) {
    base_ = traces_.size();
    bases.push_back(base_);
  }

  void header(std::size_t trace, const TraceHeader& h) override {
    const std::size_t index = base_ + trace;
    if (index >= traces_.size()) traces_.resize(index + 1);
    TraceEntry& e = traces_[index];
    e.label = h.label;
    e.interval = h.interval;
    e.absolute_time = h.absolute_time;
    e.dist_km = h.dist_km;
    e.gcarc_deg = h.gcarc_deg;
    e.offset_m = h.offset_m;
    e.position = h.position;
  }

  void run(std::size_t trace, double start, std::int64_t count) override {
    TraceEntry& e = traces_.at(base_ + trace);
    if (count <= 0) return;
    const double end = start + static_cast<double>(count - 1) * e.interval;
    e.first_time = e.has_samples ? std::min(e.first_time, start) : start;
    e.last_time = e.has_samples ? std::max(e.last_time, end) : end;
    e.has_samples = true;
  }

  void samples(std::size_t, double, std::span<const float>) override {}

 private:
  std::vector<TraceEntry>& traces_;
  std::size_t base_ = 0;
};

// The first and last index of a run of `count` samples from time `t0`
// (already shifted) that lie inside [low, high]; empty when first > last.
std::pair<std::int64_t, std::int64_t> inside(double t0, double dt, std::int64_t count, double low, double high) {
  const double first = std::ceil((low - t0) / dt - 1e-6);
  const double last = std::floor((high - t0) / dt + 1e-6);
  const auto clamp = [count](double v) {
    return static_cast<std::int64_t>(std::clamp(v, -1.0, static_cast<double>(count)));
  };
  return {std::max<std::int64_t>(clamp(first), 0), std::min<std::int64_t>(clamp(last), count - 1)};
}

// A later pass over the samples: it finds each file's trace in the entries
// the first pass made; a file that holds other traces than at its first
// reading has changed meanwhile.
class SamplePass : public TraceVisitor {
 public:
  explicit SamplePass(Section& section) : s_(section) {}
  void start_file(std::size_t file, const std::string& path) {
    file_ = file;
    path_ = &path;
  }
  void header(std::size_t, const TraceHeader&) override {}
  void run(std::size_t, double, std::int64_t) override {}

 protected:
  TraceEntry& entry(std::size_t trace) {
    const std::size_t index = s_.file_bases[file_] + trace;
    if (index >= s_.file_bases[file_ + 1]) {
      fail(*path_, static_cast<long>(trace + 1), "", "the file changed while it was read");
    }
    return s_.traces[index];
  }
  Section& s_;

 private:
  std::size_t file_ = 0;
  const std::string* path_ = nullptr;
};

// Pass 2: the largest |sample| of each trace inside the drawn range.
class PeakFinder : public SamplePass {
 public:
  using SamplePass::SamplePass;
  void samples(std::size_t trace, double start, std::span<const float> values) override {
    TraceEntry& e = entry(trace);
    const auto [first, last] = inside(start - e.time_shift, e.interval, static_cast<std::int64_t>(values.size()),
                                      s_.time_low, s_.time_high);
    float peak = static_cast<float>(e.peak);
    for (std::int64_t i = first; i <= last; ++i) peak = std::max(peak, std::fabs(values[static_cast<std::size_t>(i)]));
    e.peak = peak;
  }
};

// Pass 3: every run of samples as a wiggle (and its filled lobes).
class Drawer : public SamplePass {
 public:
  Drawer(Section& section, const Options& options) : SamplePass(section), o_(options) {}

  void samples(std::size_t trace, double start, std::span<const float> values) override {
    TraceEntry& e = entry(trace);
    const double t0 = start - e.time_shift;
    const auto count = static_cast<std::int64_t>(values.size());
    const auto [first, last] = inside(t0, e.interval, count, s_.time_low, s_.time_high);
    const bool joins = e.joinable && first == 0 && std::fabs(start - e.next_time) <= 0.5 * e.interval;
    e.joinable = false;
    if (first > last) return;

    WiggleRun run;
    run.baseline = static_cast<float>(PageLayout::bottom(s_.distance.length) + s_.distance.at(e.place));
    run.x0 = PageLayout::kLeft + s_.time.at(t0 + static_cast<double>(first) * e.interval);
    run.dx = e.interval / s_.time.step;
    run.gain = gain(e);
    run.bin = o_.resolution > 0 ? kCmPerInch / o_.resolution : 0.0;
    // Without a clip, deflections still stop 100 m off the page.
    run.limit = static_cast<float>(o_.clip ? std::min(*o_.clip * s_.spacing_cm, kFarOffPage) : kFarOffPage);
    if (joins) run.before = WigglePoint{e.last_x, e.last_deflection};
    const auto drawn = values.subspan(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
    const WigglePoint end = draw_wiggle(run, drawn, o_.fill);

    e.joinable = last == count - 1;
    e.next_time = start + static_cast<double>(count) * e.interval;
    e.last_x = end.x;
    e.last_deflection = end.deflection;
  }

 private:
  float gain(const TraceEntry& e) const {
    double norm = 1.0;
    if (o_.normalize == Normalize::trace) norm = e.peak;
    if (o_.normalize == Normalize::all) norm = s_.global_peak;
    if (!(norm > 0)) return 0.0f;  // a dead trace is a flat line
    return static_cast<float>(o_.scale * s_.spacing_cm / norm);
  }

  const Options& o_;
};

std::optional<double> placement_value(const TraceEntry& e, Placement p) {
  switch (p) {
    case Placement::distance_km: return e.dist_km;
    case Placement::distance_deg: return e.gcarc_deg;
    case Placement::offset_m: return e.offset_m;
    case Placement::offset_km: return e.offset_m ? std::optional<double>(*e.offset_m / 1000.0) : std::nullopt;
    case Placement::position: return e.position;
    case Placement::order: return std::nullopt;
  }
  return std::nullopt;
}

// Distance in km for the reduction velocity.
double reduction_km(const TraceEntry& e, Placement p) {
  const double v = placement_value(e, p).value_or(0.0);
  switch (p) {
    case Placement::distance_deg: return std::fabs(v) * kKmPerDegree;
    case Placement::offset_m: return std::fabs(v) / 1000.0;
    case Placement::offset_km: return std::fabs(v);
    default: return std::fabs(v);  // km, and trace file positions taken as km
  }
}

const char* distance_label(Placement p) {
  switch (p) {
    case Placement::distance_km: return "Distance (km)";
    case Placement::distance_deg: return "Distance (deg)";
    case Placement::offset_m: return "Offset (m)";
    case Placement::offset_km: return "Offset (km)";
    case Placement::position: return "Position";
    case Placement::order: return "Trace number";
  }
  return "";
}

// A value the axes can carry, or bad input naming what it is.
void check_drawable(double value, const std::string& path, std::string_view what) {
  if (!std::isfinite(value) || std::fabs(value) > kLargestAxisValue) {
    char text[64];
    std::snprintf(text, sizeof text, "value %g lies beyond the drawable range (1e12)", value);
    fail(path, 0, what, text);
  }
}

void settle_places(Section& s, const InputSet& inputs) {
  double low = 0, high = 0;
  for (std::size_t i = 0; i < s.traces.size(); ++i) {
    TraceEntry& e = s.traces[i];
    e.place = placement_value(e, s.placement).value_or(static_cast<double>(i + 1));
    check_drawable(e.place, inputs.path_of(s, i), distance_label(s.placement));
    low = i == 0 ? e.place : std::min(low, e.place);
    high = i == 0 ? e.place : std::max(high, e.place);
  }
  const std::size_t n = s.traces.size();
  const double spacing = n > 1 && high > low ? (high - low) / static_cast<double>(n - 1) : 1.0;
  // One spacing of room below the first and above the last baseline.
  s.distance = fit_axis(low - spacing, high + spacing, PageLayout::kMaxHeight);
  s.spacing_cm = spacing / s.distance.step;
}

void settle_times(Section& s, const Options& o, const InputSet& inputs) {
  double earliest_absolute = std::numeric_limits<double>::infinity();
  for (const TraceEntry& e : s.traces) {
    if (e.absolute_time && e.has_samples) earliest_absolute = std::min(earliest_absolute, e.first_time);
  }
  bool any = false;
  for (TraceEntry& e : s.traces) {
    e.time_shift = e.absolute_time && std::isfinite(earliest_absolute) ? earliest_absolute : 0.0;
    if (o.reduce) e.time_shift += reduction_km(e, s.placement) / *o.reduce;
    if (!e.has_samples) continue;
    const double first = e.first_time - e.time_shift;
    const double last = e.last_time - e.time_shift;
    const std::string& path = inputs.path_of(s, static_cast<std::size_t>(&e - s.traces.data()));
    check_drawable(first, path, o.reduce ? "time of the first sample, reduced" : "time of the first sample");
    check_drawable(last, path, o.reduce ? "time of the last sample, reduced" : "time of the last sample");
    s.time_low = any ? std::min(s.time_low, first) : first;
    s.time_high = any ? std::max(s.time_high, last) : last;
    any = true;
  }
  if (o.window) {
    s.time_low = o.window->first;
    s.time_high = o.window->second;
  }
  s.time = fit_axis(s.time_low, s.time_high, PageLayout::kMaxWidth);
  // The axis may start before the first sample; the drawn range is the axis.
  if (!o.window) {
    s.time_low = s.time.first;
    s.time_high = s.time.first + s.time.length * s.time.step;
  }
}

// Text for the stroke font and the PostScript string of the title:
// printable ASCII, no backslash (a control sequence in one, an escape in
// the other).
std::string plain_text(std::string_view text, std::size_t limit) {
  std::string out;
  for (const char c : text.substr(0, std::min(text.size(), limit))) {
    out += c >= ' ' && c < 127 && c != '\\' ? c : '?';
  }
  return out;
}

void draw_axes(const Section& s, const Options& o) {
  const auto left = static_cast<float>(PageLayout::kLeft);
  const auto bottom = static_cast<float>(PageLayout::bottom(s.distance.length));
  std::string time_label = "Time (s)";
  if (o.reduce) {
    char text[64];
    std::snprintf(text, sizeof text, "Time - distance/%g (s)", *o.reduce);
    time_label = text;
  }
  // Larger numbers on every other tick read better than tiny ones on all.
  plume::axis_numbering(plume::AxisNumbering::alternate_ticks);
  // Ticks and numbers below the time axis, left of the distance axis.
  plume::axis(left, bottom, time_label, -static_cast<int>(time_label.size()), static_cast<float>(s.time.length), 0.0f,
              static_cast<float>(s.time.first), static_cast<float>(s.time.step));
  const std::string distance = distance_label(s.placement);
  plume::axis(left, bottom, distance, static_cast<int>(distance.size()), static_cast<float>(s.distance.length), 90.0f,
              static_cast<float>(s.distance.first), static_cast<float>(s.distance.step));
  // The frame's top and right edges.
  const float right = left + static_cast<float>(s.time.length);
  const float top = bottom + static_cast<float>(s.distance.length);
  plume::plot(left, top, kMove);
  plume::plot(right, top, kDraw);
  plume::plot(right, bottom, kDraw);
  if (!o.title.empty()) {
    const std::string title = plain_text(o.title, 80);
    const float y = top + static_cast<float>(PageLayout::kTitleGap);
    plume::xsymbol(left, y, kTitleHeight, title, 0.0f, static_cast<int>(title.size()), kLabelFont);
    // Font text does not enter the bounding box: a white line over the
    // title's extent (Helvetica-Bold averages under 0.6 em) takes it in,
    // so importers that crop keep the title.
    const float width = 0.6f * 1.5f * kTitleHeight * static_cast<float>(title.size());
    plume::rgbcolor(1.0f, 1.0f, 1.0f);
    plume::plot(left, y + 2.0f * kTitleHeight, kMove);
    plume::plot(left + width, y + 2.0f * kTitleHeight, kDraw);
    plume::color(0);
  }
}

// Station and channel (or the trace number) right of the frame, skipping
// traces whose label would overlap the last one drawn.
void draw_labels(const Section& s) {
  std::vector<std::size_t> order(s.traces.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return s.traces[a].place < s.traces[b].place; });
  const float x = static_cast<float>(PageLayout::kLeft + s.time.length) + 0.15f;
  float last_y = -1e9f;
  for (const std::size_t i : order) {
    const float y = static_cast<float>(PageLayout::bottom(s.distance.length) + s.distance.at(s.traces[i].place));
    if (y - last_y < kLabelGap) continue;
    const std::string label =
        plain_text(s.traces[i].label.empty() ? std::to_string(i + 1) : s.traces[i].label, 24);
    plume::symbol(x, y - 0.5f * kLabelHeight, kLabelHeight, label, 0.0f, static_cast<int>(label.size()));
    last_y = y;
  }
}

}  // namespace

Placement choose_placement(const std::vector<TraceEntry>& traces) {
  for (const Placement p : {Placement::distance_km, Placement::distance_deg, Placement::offset_m, Placement::position}) {
    const bool every = std::all_of(traces.begin(), traces.end(),
                                   [p](const TraceEntry& e) { return placement_value(e, p).has_value(); });
    if (!every) continue;
    const double first = *placement_value(traces.front(), p);
    const bool all_equal = std::all_of(traces.begin(), traces.end(),
                                       [&](const TraceEntry& e) { return *placement_value(e, p) == first; });
    if (traces.size() > 1 && all_equal) return Placement::order;
    if (p == Placement::offset_m) {
      // Offsets of a kilometre and more read better in kilometres: the
      // axis numbers have six places.
      const bool long_spread = std::any_of(traces.begin(), traces.end(),
                                           [](const TraceEntry& e) { return std::fabs(*e.offset_m) >= 1000.0; });
      if (long_spread) return Placement::offset_km;
    }
    return p;
  }
  return Placement::order;
}

const std::string& InputSet::path_of(const Section& s, std::size_t trace) const {
  const auto next = std::upper_bound(s.file_bases.begin(), s.file_bases.end(), trace);
  return paths[static_cast<std::size_t>(next - s.file_bases.begin()) - 1];
}

InputSet detect_inputs(const std::vector<std::string>& paths) {
  InputSet set;
  for (const std::string& path : paths) {
    set.paths.push_back(path);
    set.formats.push_back(detect_format(path));
  }
  return set;
}

Section read_headers(const InputSet& inputs, const Options& options) {
  Section s;
  HeaderCollector collector(s.traces);
  for (std::size_t f = 0; f < inputs.paths.size(); ++f) {
    collector.start_file(s.file_bases);
    read_traces(inputs.paths[f], inputs.formats[f], collector, false);
  }
  if (s.traces.empty()) fail(inputs.paths.back(), 0, "", "no traces in any input file");
  s.file_bases.push_back(s.traces.size());
  s.placement = choose_placement(s.traces);
  if (options.reduce && s.placement == Placement::order) {
    fail(inputs.paths.front(), 0, "distance",
         "--reduce needs a distance for every trace (SAC dist or gcarc, SEG-Y offset)");
  }
  settle_places(s, inputs);
  settle_times(s, options, inputs);
  return s;
}

void read_peaks(const InputSet& inputs, Section& section) {
  PeakFinder finder(section);
  for (std::size_t f = 0; f < inputs.paths.size(); ++f) {
    finder.start_file(f, inputs.paths[f]);
    read_traces(inputs.paths[f], inputs.formats[f], finder, true);
  }
  for (const TraceEntry& e : section.traces) section.global_peak = std::max(section.global_peak, e.peak);
}

void draw_section(const InputSet& inputs, Section& section, const Options& options) {
  draw_axes(section, options);
  draw_labels(section);
  Drawer drawer(section, options);
  for (std::size_t f = 0; f < inputs.paths.size(); ++f) {
    drawer.start_file(f, inputs.paths[f]);
    read_traces(inputs.paths[f], inputs.formats[f], drawer, true);
  }
}

}  // namespace section
