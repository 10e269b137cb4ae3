#include "section/record_section.hpp"

#include <fnmatch.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <span>
#include <sstream>

#include "plume/plume.hpp"
#include "section/formats.hpp"
#include "section/input_error.hpp"
#include "section/section_axes.hpp"
#include "section/wiggle.hpp"

namespace section {
namespace {

constexpr double kKmPerDegree = 111.19492664;  // mean Earth radius 6371 km
constexpr double kFarOffPage = 1e4;            // centimetres
constexpr double kCmPerInch = 2.54;

// NET.STA.LOC.CHA without its empty parts, for headers that carry the
// parts alone.
std::string label_of_parts(const TraceHeader& h) {
  std::string label;
  for (const std::string* part : {&h.network, &h.station, &h.location, &h.channel}) {
    if (part->empty()) continue;
    if (!label.empty()) label += '.';
    label += *part;
  }
  return label;
}

// Pass 1: one entry per trace, its extent from the runs.
class HeaderCollector : public TraceVisitor {
 public:
  explicit HeaderCollector(std::vector<TraceEntry>& traces) : traces_(traces) {}
  void start_unit(std::vector<std::size_t>& bases) {
    base_ = traces_.size();
    bases.push_back(base_);
  }

  void header(std::size_t trace, const TraceHeader& h) override {
    const std::size_t index = base_ + trace;
    if (index >= traces_.size()) traces_.resize(index + 1);
    TraceEntry& e = traces_[index];
    e.label = h.label.empty() ? label_of_parts(h) : h.label;
    e.network = h.network;
    e.station = h.station;
    e.location = h.location;
    e.channel = h.channel;
    e.interval = h.interval;
    e.absolute_time = h.absolute_time;
    e.dist_km = h.dist_km;
    e.gcarc_deg = h.gcarc_deg;
    e.offset_m = h.offset_m;
    e.position = h.position;
    e.azimuth_deg = h.azimuth_deg;
    e.backazimuth_deg = h.backazimuth_deg;
    e.picks = h.picks;
    e.reference_epoch = h.reference_epoch;
  }

  void run(std::size_t trace, double start, std::int64_t count) override {
    TraceEntry& e = traces_.at(base_ + trace);
    if (count <= 0) return;
    const double end = start + static_cast<double>(count - 1) * e.interval;
    e.first_time = e.has_samples ? std::min(e.first_time, start) : start;
    e.last_time = e.has_samples ? std::max(e.last_time, end) : end;
    e.has_samples = true;
    e.sample_count += count;
  }

  void samples(std::size_t, double, std::span<const float>) override {}

 private:
  std::vector<TraceEntry>& traces_;
  std::size_t base_ = 0;
};

// The first and last index of `count` samples from time `t0` (already
// shifted) that lie inside [low, high]; empty when first > last.
std::pair<std::int64_t, std::int64_t> inside(double t0, double dt, std::int64_t count, double low, double high) {
  const double first = std::ceil((low - t0) / dt - 1e-6);
  const double last = std::floor((high - t0) / dt + 1e-6);
  const auto clamp = [count](double v) {
    return static_cast<std::int64_t>(std::clamp(v, -1.0, static_cast<double>(count)));
  };
  return {std::max<std::int64_t>(clamp(first), 0), std::min<std::int64_t>(clamp(last), count - 1)};
}

// A stretch of a trace without a gap: samples from `start`, in the frame
// of the trace's begin.
struct Piece {
  double start = 0;
  std::vector<double> values;
};

// A later pass over the samples: gathers each trace's runs into pieces
// (joining a run that starts within half an interval of where the last one
// ended), and hands over each trace whole once it is complete: when the
// next trace begins, or at the end of an interleaved unit. A unit that
// holds other traces than at its first reading has changed meanwhile.
class WholeTracePass : public TraceVisitor {
 public:
  explicit WholeTracePass(Section& section) : s_(section) {}
  void read(const TraceSource& source) {
    for (std::size_t u = 0; u < source.units(); ++u) {
      unit_ = u;
      name_ = &source.unit_name(u);
      interleaved_ = source.interleaved(u);
      source.read(u, *this, true);
      flush_all();
    }
  }
  void header(std::size_t, const TraceHeader&) override {}
  void run(std::size_t, double, std::int64_t) override {}
  void samples(std::size_t trace, double start, std::span<const float> values) override {
    const std::size_t index = s_.file_bases[unit_] + trace;
    if (index >= s_.file_bases[unit_ + 1]) {
      fail(*name_, static_cast<long>(trace + 1), "", "the file changed while it was read");
    }
    if (!s_.traces[index].drawn || values.empty()) return;
    if (!interleaved_ && !held_.empty() && held_.begin()->first != index) flush_all();
    std::vector<Piece>& pieces = held_[index];
    const double interval = s_.traces[index].interval;
    const bool joins = !pieces.empty() &&
                       std::fabs(start - (pieces.back().start + static_cast<double>(pieces.back().values.size()) * interval)) <=
                           0.5 * interval;
    if (!joins) {
      pieces.push_back(Piece{start, s_.buffers.take()});
      // The first piece of a trace usually holds all of it.
      if (pieces.size() == 1) pieces.back().values.reserve(static_cast<std::size_t>(s_.traces[index].sample_count));
    }
    pieces.back().values.insert(pieces.back().values.end(), values.begin(), values.end());
  }

 protected:
  virtual void whole(TraceEntry& e, std::vector<Piece>& pieces) = 0;
  Section& s_;

 private:
  void flush_all() {
    for (auto& [index, pieces] : held_) {
      TraceEntry& e = s_.traces[index];
      process_whole(e, pieces);
      whole(e, pieces);
      for (Piece& p : pieces) s_.buffers.give(std::move(p.values));
    }
    held_.clear();
  }
  // The trace's pieces are processed as one series, joined end to end.
  void process_whole(const TraceEntry& e, std::vector<Piece>& pieces) const {
    const Processing& processing = s_.options.processing;
    if (processing.none()) return;
    if (pieces.size() == 1) {
      process(pieces.front().values, e.interval, processing);
      return;
    }
    std::vector<std::size_t> sizes;
    std::vector<double> joined;
    for (Piece& p : pieces) {
      sizes.push_back(p.values.size());
      joined.insert(joined.end(), p.values.begin(), p.values.end());
      std::vector<double>().swap(p.values);
    }
    process(joined, e.interval, processing);
    auto from = joined.begin();
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      const auto to = from + static_cast<std::ptrdiff_t>(std::min(sizes[k], static_cast<std::size_t>(joined.end() - from)));
      pieces[k].values.assign(from, to);
      from = to;
    }
  }

  std::size_t unit_ = 0;
  const std::string* name_ = nullptr;
  bool interleaved_ = false;
  std::map<std::size_t, std::vector<Piece>> held_;
};

// Pass 2: the largest |sample| of each processed trace inside the window.
class PeakFinder : public WholeTracePass {
 public:
  using WholeTracePass::WholeTracePass;

 protected:
  void whole(TraceEntry& e, std::vector<Piece>& pieces) override {
    double peak = 0;
    for (const Piece& p : pieces) {
      const auto [first, last] = inside(p.start - e.time_shift, e.interval,
                                        static_cast<std::int64_t>(p.values.size()), s_.time.low, s_.time.high);
      for (std::int64_t i = first; i <= last; ++i) {
        const double v = std::fabs(p.values[static_cast<std::size_t>(i)]);
        if (v > peak) peak = v;  // NaN stays out
      }
    }
    e.peak = peak;
  }
};

// Pass 3: every piece of a processed trace as a wiggle (and its filled lobes).
class Drawer : public WholeTracePass {
 public:
  Drawer(Section& section, const Options& options) : WholeTracePass(section), o_(options) {}

 protected:
  void whole(TraceEntry& e, std::vector<Piece>& pieces) override {
    const double per_unit = centimetres_per_unit(e);
    const double baseline = s_.distance.at(e.place);
    const bool vertical = o_.drawing.vertical;
    for (const Piece& p : pieces) {
      const double t0 = p.start - e.time_shift;
      const auto count = static_cast<std::int64_t>(p.values.size());
      const auto [first, last] = inside(t0, e.interval, count, s_.time.low, s_.time.high);
      if (first > last) continue;
      WiggleRun run;
      run.vertical = vertical;
      const double u0 = s_.time.at(t0 + static_cast<double>(first) * e.interval);
      const double du = e.interval / s_.time.per_cm();
      if (vertical) {
        run.baseline = static_cast<float>(PageLayout::kLeft + baseline);
        run.x0 = PageLayout::kTop - u0;
        run.dx = -du;
      } else {
        run.baseline = static_cast<float>(PageLayout::kBottom + baseline);
        run.x0 = PageLayout::kLeft + u0;
        run.dx = du;
      }
      run.gain = per_unit;
      run.bin = o_.resolution > 0 ? kCmPerInch / o_.resolution : 0.0;
      // Without a clip, deflections still stop 100 m off the page.
      run.limit = static_cast<float>(o_.clip ? std::min(*o_.clip * s_.height.spacing_cm, kFarOffPage) : kFarOffPage);
      const std::span<const double> values(p.values);
      draw_wiggle(run, values.subspan(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1)), o_.fill);
    }
  }

 private:
  // Centimetres of deflection per sample unit.
  double centimetres_per_unit(const TraceEntry& e) const {
    double norm = 1.0;
    if (o_.normalize == Normalize::trace) norm = e.peak;
    if (o_.normalize == Normalize::all) norm = s_.global_peak;
    if (o_.normalize == Normalize::none && o_.drawing.size_cm) norm = s_.global_peak;
    if (!(norm > 0) || !std::isfinite(norm)) return 0.0;  // a dead trace is a flat line
    const double reach = o_.normalize == Normalize::none && !o_.drawing.size_cm ? o_.scale * s_.height.spacing_cm
                                                                               : s_.height.peak_cm;
    return reach / norm;
  }

  const Options& o_;
};

std::optional<double> placement_value(const TraceEntry& e, Placement p) {
  const auto scaled = [](const std::optional<double>& v, double f) {
    return v ? std::optional<double>(*v * f) : std::nullopt;
  };
  switch (p) {
    case Placement::distance_km:
      if (e.dist_km) return e.dist_km;
      if (e.gcarc_deg) return scaled(e.gcarc_deg, kKmPerDegree);
      return scaled(e.offset_m, 1e-3);
    case Placement::distance_deg: return e.gcarc_deg ? e.gcarc_deg : scaled(e.dist_km, 1 / kKmPerDegree);
    case Placement::distance_m:
      if (e.offset_m) return e.offset_m;
      if (e.dist_km) return scaled(e.dist_km, 1e3);
      return scaled(e.gcarc_deg, kKmPerDegree * 1e3);
    case Placement::offset_m: return e.offset_m;
    case Placement::offset_km: return scaled(e.offset_m, 1e-3);
    case Placement::position: return e.position;
    case Placement::azimuth: return e.azimuth_deg;
    case Placement::backazimuth: return e.backazimuth_deg;
    case Placement::order: return std::nullopt;
  }
  return std::nullopt;
}

// The automatic placement's value: dist, else gcarc, ... as chosen.
std::optional<double> automatic_value(const TraceEntry& e, Placement p) {
  if (p == Placement::distance_km) return e.dist_km;
  if (p == Placement::distance_deg) return e.gcarc_deg;
  return placement_value(e, p);
}

bool is_distance(Placement p) {
  return p == Placement::distance_km || p == Placement::distance_deg || p == Placement::distance_m ||
         p == Placement::offset_m || p == Placement::offset_km || p == Placement::position;
}

// Distance in km for the reduction velocity.
double reduction_km(double place, Placement p) {
  switch (p) {
    case Placement::distance_deg: return std::fabs(place) * kKmPerDegree;
    case Placement::distance_m:
    case Placement::offset_m: return std::fabs(place) / 1000.0;
    default: return std::fabs(place);  // km, and trace file positions taken as km
  }
}

// A value the axes can carry, or bad input naming what it is.
void check_drawable(double value, const std::string& path, long trace, std::string_view what) {
  if (!std::isfinite(value) || std::fabs(value) > kLargestAxisValue) {
    char text[64];
    std::snprintf(text, sizeof text, "value %g lies beyond the drawable range (1e12)", value);
    fail(path, trace, what, text);
  }
}

// The trace's identity as NET.STA.LOC.CHA, empty parts kept (a pattern's
// "*" matches them), or its label when the header has no parts.
std::string identity(const TraceEntry& e) {
  if (e.network.empty() && e.station.empty() && e.location.empty() && e.channel.empty()) return e.label;
  return e.network + "." + e.station + "." + e.location + "." + e.channel;
}

// A name for a message line: control bytes as escapes, so that a file name
// cannot forge a line of its own.
std::string printable(const std::string& name) {
  std::string out;
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= ' ' && b != 127) {
      out += c;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", b);
      out += escape;
    }
  }
  return out;
}

std::string display_name(const TraceEntry& e, std::size_t index) {
  return e.label.empty() ? "trace " + std::to_string(index + 1) : e.label;
}

class SectionBuilder {
 public:
  SectionBuilder(Section& s, const TraceSource& source) : s_(s), source_(source), o_(s.options) {}

  void build() {
    select_by_identity();
    if (o_.drawing.align) align();
    if (o_.drawing.time == TimeLabels::absolute) set_clock();
    if (!o_.drawing.shift_file.empty()) read_shifts();
    require_some("the options leave no trace to draw");
    place();
    if (o_.reduce) reduce();
    settle_times();
    settle_positions();
  }

 private:
  const std::string& unit_of(std::size_t trace) const {
    const auto next = std::upper_bound(s_.file_bases.begin(), s_.file_bases.end(), trace);
    return source_.unit_name(static_cast<std::size_t>(next - s_.file_bases.begin()) - 1);
  }
  long number_in_unit(std::size_t trace) const {
    const auto next = std::upper_bound(s_.file_bases.begin(), s_.file_bases.end(), trace);
    return static_cast<long>(trace - *(next - 1) + 1);
  }
  void leave_out(std::size_t i, const std::string& why) {
    s_.traces[i].drawn = false;
    s_.notes.push_back(printable(unit_of(i)) + ": trace " + std::to_string(number_in_unit(i)) + " (" +
                       printable(display_name(s_.traces[i], i)) + "): " + why + ", left out");
  }
  void require_some(const std::string& why) const {
    if (s_.drawn_count() == 0) fail(source_.unit_name(0), 0, "", why);
  }
  template <typename F>
  void each_drawn(F f) {
    for (std::size_t i = 0; i < s_.traces.size(); ++i) {
      if (s_.traces[i].drawn) f(i, s_.traces[i]);
    }
  }

  void select_by_identity() {
    if (o_.drawing.select.empty()) return;
    each_drawn([&](std::size_t, TraceEntry& e) {
      const std::string id = identity(e);
      const bool matches = std::any_of(o_.drawing.select.begin(), o_.drawing.select.end(), [&](const std::string& p) {
        return fnmatch(p.c_str(), id.c_str(), 0) == 0 || fnmatch(p.c_str(), e.label.c_str(), 0) == 0;
      });
      e.drawn = matches;  // quietly: choosing is what --select is for
    });
  }

  void align() {
    const Pick pick = *o_.drawing.align;
    each_drawn([&](std::size_t i, TraceEntry& e) {
      const auto& t = e.picks[static_cast<std::size_t>(pick)];
      if (!t || !std::isfinite(*t)) {
        leave_out(i, std::string("no header time ") + pick_name(pick));
      } else {
        alignment_[i] = *t;
      }
    });
  }

  // Every trace on one UTC clock: its frame's zero in epoch seconds.
  void set_clock() {
    each_drawn([&](std::size_t i, TraceEntry& e) {
      if (e.absolute_time) {
        frame_epoch_[i] = 0;
      } else if (e.reference_epoch && std::isfinite(*e.reference_epoch)) {
        frame_epoch_[i] = *e.reference_epoch;
      } else {
        leave_out(i, "no reference time (SAC nzyear ... nzmsec, SEG-Y year ... second)");
      }
    });
  }

  void read_shifts() {
    const std::string& path = o_.drawing.shift_file;
    std::ifstream in(path);
    if (!in) fail(path, 0, "", "cannot be read (--shift)");
    std::map<std::string, double> shifts;
    std::string line;
    for (long number = 1; std::getline(in, line); ++number) {
      const auto hash = line.find('#');
      if (hash != std::string::npos) line.erase(hash);
      std::istringstream words(line);
      std::string id, value, extra;
      if (!(words >> id)) continue;
      const std::string where = "line " + std::to_string(number);
      if (!(words >> value) || (words >> extra)) fail(path, 0, where, "expected a trace identity or file name, then seconds");
      char* end = nullptr;
      const double seconds = std::strtod(value.c_str(), &end);
      if (end != value.c_str() + value.size() || !std::isfinite(seconds) || std::fabs(seconds) > kLargestAxisValue) {
        fail(path, 0, where, "\"" + value + "\" is not a number of seconds");
      }
      shifts[id] = seconds;
    }
    each_drawn([&](std::size_t i, TraceEntry& e) {
      const std::string& unit = unit_of(i);
      const std::string base = unit.substr(unit.find_last_of('/') + 1);
      for (const std::string& key : {identity(e), e.label, unit, base}) {
        const auto found = key.empty() ? shifts.end() : shifts.find(key);
        if (found != shifts.end()) {
          shift_[i] = found->second;
          break;
        }
      }
    });
  }

  std::vector<TraceEntry> drawn_entries() const {
    std::vector<TraceEntry> drawn;
    for (const TraceEntry& e : s_.traces) {
      if (e.drawn) drawn.push_back(e);
    }
    return drawn;
  }

  void place() {
    const SortKey sort = o_.drawing.sort;
    if (sort == SortKey::azimuth || sort == SortKey::backazimuth) {
      s_.placement = sort == SortKey::azimuth ? Placement::azimuth : Placement::backazimuth;
    } else if (sort == SortKey::name || sort == SortKey::none) {
      s_.placement = Placement::order;
    } else if (o_.drawing.distance_unit) {
      s_.placement = *o_.drawing.distance_unit == DistanceUnit::km    ? Placement::distance_km
                     : *o_.drawing.distance_unit == DistanceUnit::deg ? Placement::distance_deg
                                                                      : Placement::distance_m;
    } else {
      s_.placement = choose_placement(drawn_entries());
      if (sort == SortKey::distance && s_.placement == Placement::order) {
        fail(source_.unit_name(0), 0, "--sort distance",
             "needs a distance for every trace (SAC dist or gcarc, SEG-Y offset)");
      }
    }
    const bool automatic = !o_.drawing.distance_unit;
    std::size_t rank = 0;
    std::vector<std::size_t> order;
    each_drawn([&](std::size_t i, TraceEntry&) { order.push_back(i); });
    if (sort == SortKey::name) {
      s_.sorted_by_name = true;
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return display_name(s_.traces[a], a) < display_name(s_.traces[b], b);
      });
    }
    for (const std::size_t i : order) {
      TraceEntry& e = s_.traces[i];
      ++rank;
      if (s_.placement == Placement::order) {
        e.place = static_cast<double>(rank);
        continue;
      }
      const auto v = automatic ? automatic_value(e, s_.placement) : placement_value(e, s_.placement);
      if (!v) fail(unit_of(i), number_in_unit(i), position_axis_title(s_), "the header has no such value for this trace");
      e.place = *v;
      check_drawable(e.place, unit_of(i), number_in_unit(i), position_axis_title(s_));
    }
    if (o_.drawing.select_distance) {
      // Named copies: clang 14 cannot capture structured bindings.
      const double low = o_.drawing.select_distance->first;
      const double high = o_.drawing.select_distance->second;
      each_drawn([&](std::size_t, TraceEntry& e) { e.drawn = e.place >= low && e.place <= high; });
      require_some("no trace lies inside --select-distance");
    }
  }

  void reduce() {
    if (!is_distance(s_.placement) || s_.placement == Placement::order) {
      fail(source_.unit_name(0), 0, "distance",
           "--reduce needs a distance for every trace (SAC dist or gcarc, SEG-Y offset)");
    }
    each_drawn([&](std::size_t i, TraceEntry& e) { reduction_[i] = reduction_km(e.place, s_.placement) / *o_.reduce; });
  }

  void settle_times() {
    const bool clock = o_.drawing.time == TimeLabels::absolute;
    double earliest = std::numeric_limits<double>::infinity();
    each_drawn([&](std::size_t i, TraceEntry& e) {
      if (!e.has_samples) return;
      if (clock) earliest = std::min(earliest, frame_epoch_[i] + e.first_time);
      if (!clock && e.absolute_time) earliest = std::min(earliest, e.first_time);
    });
    if (clock && std::isfinite(earliest)) s_.epoch_zero = std::floor(earliest);
    each_drawn([&](std::size_t i, TraceEntry& e) {
      if (clock) {
        e.time_shift = s_.epoch_zero.value_or(0) - frame_epoch_[i];
      } else if (e.absolute_time && std::isfinite(earliest)) {
        e.time_shift = earliest;
      }
      e.time_shift += value_or(alignment_, i) - value_or(shift_, i) + value_or(reduction_, i);
    });
    bool any = false;
    double low = 0, high = 0;
    each_drawn([&](std::size_t i, TraceEntry& e) {
      if (!e.has_samples) {
        leave_out(i, "no samples");
        return;
      }
      const double first = e.first_time - e.time_shift;
      const double last = e.last_time - e.time_shift;
      check_drawable(first, unit_of(i), number_in_unit(i), "time of the first sample, as drawn");
      check_drawable(last, unit_of(i), number_in_unit(i), "time of the last sample, as drawn");
      // A filter the trace's sampling cannot carry is refused before anything is drawn.
      if (const std::string problem = processing_problem(o_.processing, e.interval); !problem.empty()) {
        fail(unit_of(i), number_in_unit(i), "--filter", problem);
      }
      low = any ? std::min(low, first) : first;
      high = any ? std::max(high, last) : last;
      any = true;
    });
    require_some("no trace has samples to draw");
    if (o_.window) {
      low = o_.window->first;
      high = o_.window->second;
      each_drawn([&](std::size_t i, TraceEntry& e) {
        if (e.last_time - e.time_shift < low || e.first_time - e.time_shift > high) {
          leave_out(i, "no samples inside --window");
        }
      });
      char why[128];
      std::snprintf(why, sizeof why, "no trace has samples inside --window %g %g", low, high);
      require_some(why);
    }
    const bool vertical = o_.drawing.vertical;
    s_.time = span_axis(low, high, vertical ? PageLayout::kHeight : PageLayout::kWidth);
  }

  void settle_positions() {
    std::vector<double> places;
    each_drawn([&](std::size_t, TraceEntry& e) { places.push_back(e.place); });
    const double length = o_.drawing.vertical ? PageLayout::kWidth : PageLayout::kHeight;
    const double* size = o_.drawing.size_cm ? &*o_.drawing.size_cm : nullptr;
    s_.height = trace_height(places, length, o_.scale, size);
    const auto [lo, hi] = std::minmax_element(places.begin(), places.end());
    if (*hi > *lo) {
      const double per_cm = (*hi - *lo) / (length - 2 * s_.height.margin_cm);
      s_.distance = {*lo - s_.height.margin_cm * per_cm, *hi + s_.height.margin_cm * per_cm, length};
    } else {
      s_.distance = span_axis(*lo, *lo, length);
    }
  }

  static double value_or(const std::map<std::size_t, double>& m, std::size_t i) {
    const auto found = m.find(i);
    return found == m.end() ? 0.0 : found->second;
  }

  Section& s_;
  const TraceSource& source_;
  const Options& o_;
  std::map<std::size_t, double> alignment_, frame_epoch_, shift_, reduction_;
};

}  // namespace

std::size_t Section::drawn_count() const {
  return static_cast<std::size_t>(std::count_if(traces.begin(), traces.end(), [](const TraceEntry& e) { return e.drawn; }));
}

void InputSet::read(std::size_t unit, TraceVisitor& visitor, bool with_samples) const {
  read_traces(paths[unit], formats[unit], visitor, with_samples);
}

Placement choose_placement(const std::vector<TraceEntry>& traces) {
  for (const Placement p : {Placement::distance_km, Placement::distance_deg, Placement::offset_m, Placement::position}) {
    const bool every = std::all_of(traces.begin(), traces.end(),
                                   [p](const TraceEntry& e) { return automatic_value(e, p).has_value(); });
    if (!every || traces.empty()) continue;
    const double first = *automatic_value(traces.front(), p);
    const bool all_equal = std::all_of(traces.begin(), traces.end(),
                                       [&](const TraceEntry& e) { return *automatic_value(e, p) == first; });
    if (traces.size() > 1 && all_equal) return Placement::order;
    if (p == Placement::offset_m) {
      // Offsets of a kilometre and more read better in kilometres.
      const bool long_spread = std::any_of(traces.begin(), traces.end(),
                                           [](const TraceEntry& e) { return std::fabs(*e.offset_m) >= 1000.0; });
      if (long_spread) return Placement::offset_km;
    }
    return p;
  }
  return Placement::order;
}

InputSet detect_inputs(const std::vector<std::string>& paths) {
  InputSet set;
  for (const std::string& path : paths) {
    set.paths.push_back(path);
    set.formats.push_back(detect_format(path));
  }
  return set;
}

Section read_headers(const TraceSource& source, const Options& options) {
  Section s;
  s.options = options;
  HeaderCollector collector(s.traces);
  for (std::size_t u = 0; u < source.units(); ++u) {
    collector.start_unit(s.file_bases);
    source.read(u, collector, false);
  }
  if (s.traces.empty()) fail(source.units() ? source.unit_name(source.units() - 1) : "", 0, "", "no traces in any input file");
  s.file_bases.push_back(s.traces.size());
  SectionBuilder(s, source).build();
  return s;
}

void read_peaks(const TraceSource& source, Section& section) {
  PeakFinder finder(section);
  finder.read(source);
  section.global_peak = 0;
  for (const TraceEntry& e : section.traces) {
    if (e.drawn) section.global_peak = std::max(section.global_peak, e.peak);
  }
}

void draw_section(const TraceSource& source, Section& section, const Options& options) {
  draw_frame(section, options);
  Drawer drawer(section, options);
  drawer.read(source);
}

}  // namespace section
