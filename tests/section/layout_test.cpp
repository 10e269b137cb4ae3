// The section's layout in process: round ticks and clock labels, the
// wiggles' height on uneven networks, and the choices the options make
// (selection, alignment, shifts, order, units, clock time) on traces held
// in memory, with every header field the readers can fill.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "plume/plume.hpp"
#include "support/document.hpp"
#include "section/fixtures.hpp"
#include "section/input_error.hpp"
#include "section/layout.hpp"
#include "section/record_section.hpp"
#include "section/section_axes.hpp"

namespace {

using namespace section;

// ---- ticks ----

bool round_step(double step) {
  const double decade = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  const double m = step / decade;
  return std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 || std::fabs(m - 5) < 1e-9;
}

TEST(SectionTicks, TheSmallestRoundStepThatKeepsNumbersApart) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> exponent(-4, 9);
  for (int i = 0; i < 2000; ++i) {
    const double low = std::pow(10.0, exponent(random)) * (i % 3 == 0 ? -1 : 1);
    const double span = std::pow(10.0, exponent(random) - 1);
    const AxisScale axis = span_axis(low, low + span, 15);
    const double gap = 0.5 + (i % 5) * 0.4;
    const Ticks t = round_ticks(axis, gap);
    ASSERT_TRUE(round_step(t.step)) << t.step;
    EXPECT_GE(t.step / axis.per_cm(), gap * (1 - 1e-9));
    // The next smaller round step would crowd them.
    const double smaller = t.step / (std::fabs(t.step / std::pow(10.0, std::floor(std::log10(t.step) + 1e-9)) - 2) < 1e-9 ? 2 : 2.5);
    EXPECT_LT(smaller / axis.per_cm(), gap * 1.0000001) << t.step;
    // Decimals: enough for the step, none for whole steps.
    const std::string a = tick_text(std::ceil(axis.low / t.step) * t.step, t.decimals);
    const std::string b = tick_text(std::ceil(axis.low / t.step) * t.step + t.step, t.decimals);
    EXPECT_NE(a, b);
    if (t.step >= 1) {
      EXPECT_EQ(b.find('.'), std::string::npos) << b;
    }
    EXPECT_NEAR(std::stod(b) - std::stod(a), t.step, 1e-9 * std::fabs(std::stod(b)) + 1e-12);
  }
  EXPECT_EQ(tick_text(-0.0001, 2), "0.00");
  EXPECT_EQ(tick_text(54400, 0), "54400");
}

TEST(SectionTicks, ClockLabelsCrossMidnight) {
  const double midnight = 1.7e9 - std::fmod(1.7e9, 86400.0) + 86400;  // a UTC midnight
  const AxisScale axis{midnight - 100, midnight + 100, 15};
  const Ticks t = clock_ticks(axis, 1.5);
  EXPECT_EQ(t.step, 30);
  std::vector<std::string> labels;
  for (const double v : t.at(axis, t.step)) labels.push_back(clock_text(v, t.decimals, true));
  ASSERT_GE(labels.size(), 5u);
  EXPECT_EQ(labels[0], "23:58:30");
  EXPECT_EQ(labels[3], "00:00:00");
  EXPECT_EQ(labels[4], "00:00:30");
  EXPECT_EQ(clock_text(midnight + 3600 * 5 + 60 * 7, 0, false), "05:07");
  EXPECT_EQ(clock_text(midnight + 1.24, 1, true), "00:00:01.2");
  EXPECT_EQ(date_text(midnight - 1), date_text(midnight - 86400));
  EXPECT_NE(date_text(midnight), date_text(midnight - 1));
}

TEST(SectionHeight, NeighboursOfUnevenNetworksKeepApart) {
  // Evenly spaced: half a spacing at the default scale.
  const TraceHeight even = trace_height({1, 2, 3, 4}, 22, 0.5, nullptr);
  EXPECT_NEAR(even.peak_cm, 0.5 * even.spacing_cm, 1e-12);
  EXPECT_NEAR(3 * even.spacing_cm + 2 * even.margin_cm, 22, 1e-9);
  // A wide gap does not widen the close ones' wiggles past their gap.
  const std::vector<double> uneven{100, 150, 200, 250, 300, 1000, 1050, 1100};
  const TraceHeight h = trace_height(uneven, 22, 0.5, nullptr);
  const double close_gap_cm = 50 * (22 - 2 * h.margin_cm) / 1000;
  EXPECT_LE(2 * h.peak_cm, close_gap_cm * 1.0000001);
  const double size = 1.5;
  EXPECT_EQ(trace_height(uneven, 22, 0.5, &size).peak_cm, 1.5);
  // Two traces at nearly one place do not flatten a far one.
  EXPECT_GT(trace_height({0, 1, 3000}, 22, 0.5, nullptr).peak_cm, 0.5);
  // One trace, or all at one place: in the middle, a visible height.
  const TraceHeight one = trace_height({3342}, 22, 0.5, nullptr);
  EXPECT_EQ(one.margin_cm, 11);
  EXPECT_GT(one.peak_cm, 1);
}

// ---- traces in memory ----

struct MemoryTrace {
  TraceHeader header;
  std::vector<float> samples;
};

// Units of traces held in memory, as the Python face will hand them.
class MemorySource : public TraceSource {
 public:
  std::vector<std::vector<MemoryTrace>> unit_traces;
  std::vector<std::string> names;
  std::size_t units() const override { return unit_traces.size(); }
  const std::string& unit_name(std::size_t unit) const override { return names[unit]; }
  bool interleaved(std::size_t) const override { return false; }
  void read(std::size_t unit, TraceVisitor& visitor, bool with_samples) const override {
    const auto& traces = unit_traces[unit];
    for (std::size_t t = 0; t < traces.size(); ++t) {
      visitor.header(t, traces[t].header);
      if (with_samples) {
        visitor.samples(t, traces[t].header.begin, traces[t].samples);
      } else {
        visitor.run(t, traces[t].header.begin, static_cast<std::int64_t>(traces[t].samples.size()));
      }
    }
  }
  // One unit per trace, named NAME.sac.
  MemoryTrace& add(const std::string& net, const std::string& sta, const std::string& loc, const std::string& cha) {
    MemoryTrace t;
    t.header.network = net;
    t.header.station = sta;
    t.header.location = loc;
    t.header.channel = cha;
    for (const std::string* part : {&net, &sta, &loc, &cha}) {
      if (part->empty()) continue;
      if (!t.header.label.empty()) t.header.label += ".";
      t.header.label += *part;
    }
    t.header.interval = 0.5;
    t.samples = section_test::test_wavelet(41, 1.0f);
    unit_traces.push_back({t});
    names.push_back("/data/" + sta + "." + cha + ".sac");
    return unit_traces.back().back();
  }
};

std::vector<std::string> drawn_labels(const Section& s) {
  std::vector<std::string> labels;
  for (const TraceEntry& e : s.traces) {
    if (e.drawn) labels.push_back(e.label);
  }
  return labels;
}

TEST(SectionChoices, SelectByIdentityAndDistance) {
  MemorySource source;
  source.add("IU", "ANMO", "00", "BHZ").header.dist_km = 100;
  source.add("IU", "ANMO", "10", "BHZ").header.dist_km = 100;
  source.add("IU", "COLA", "", "BHZ").header.dist_km = 300;
  source.add("IU", "COLA", "", "BHN").header.dist_km = 300;
  source.add("II", "KONO", "00", "BHZ").header.dist_km = 500;
  Options o;
  o.drawing.select = {"IU.*.*.BHZ"};
  EXPECT_EQ(drawn_labels(read_headers(source, o)),
            (std::vector<std::string>{"IU.ANMO.00.BHZ", "IU.ANMO.10.BHZ", "IU.COLA.BHZ"}));
  o.drawing.select_distance = std::pair{200.0, 600.0};
  EXPECT_EQ(drawn_labels(read_headers(source, o)), (std::vector<std::string>{"IU.COLA.BHZ"}));
  o.drawing.select = {"XX.*"};
  EXPECT_THROW(read_headers(source, o), InputError);
}

TEST(SectionChoices, AlignOnAPickLeavesOutTracesWithoutIt) {
  MemorySource source;
  source.add("IU", "A", "", "BHZ").header.picks[static_cast<std::size_t>(Pick::a)] = 4.0;
  source.add("IU", "B", "", "BHZ").header.picks[static_cast<std::size_t>(Pick::t1)] = 4.0;
  source.add("IU", "C", "", "BHZ").header.picks[static_cast<std::size_t>(Pick::a)] = 10.5;
  Options o;
  o.drawing.align = Pick::a;
  const Section s = read_headers(source, o);
  EXPECT_EQ(drawn_labels(s), (std::vector<std::string>{"IU.A.BHZ", "IU.C.BHZ"}));
  ASSERT_EQ(s.notes.size(), 1u);
  EXPECT_NE(s.notes[0].find("/data/B.BHZ.sac"), std::string::npos) << s.notes[0];
  EXPECT_NE(s.notes[0].find("left out"), std::string::npos);
  EXPECT_EQ(s.traces[0].time_shift, 4.0);
  EXPECT_EQ(s.traces[2].time_shift, 10.5);
  // Zero time at the pick: the drawn range runs from -10.5 s.
  EXPECT_NEAR(s.time.low, -10.5, 1e-12);
  EXPECT_NEAR(s.time.high, 20 - 4.0, 1e-12);
}

TEST(SectionChoices, ShiftsByIdentityOrFileName) {
  MemorySource source;
  source.add("IU", "A", "00", "BHZ");
  source.add("IU", "B", "", "BHZ");
  source.add("IU", "C", "", "BHZ");
  const std::string path = section_test::fresh_path("shifts.txt");
  std::ofstream(path) << "# trace  seconds\nIU.A.00.BHZ 2.5\nC.BHZ.sac -1   # by file name\n";
  Options o;
  o.drawing.shift_file = path;
  const Section s = read_headers(source, o);
  EXPECT_EQ(s.traces[0].time_shift, -2.5);  // drawn 2.5 s later
  EXPECT_EQ(s.traces[1].time_shift, 0.0);
  EXPECT_EQ(s.traces[2].time_shift, 1.0);
  std::ofstream(path) << "IU.A.00.BHZ soon\n";
  try {
    read_headers(source, o);
    ADD_FAILURE() << "a bad shift was accepted";
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("line 1"), std::string::npos) << e.what();
  }
}

TEST(SectionChoices, SortKeysAndDistanceUnits) {
  MemorySource source;
  auto& c = source.add("IU", "C", "", "BHZ").header;
  c.gcarc_deg = 30;
  c.azimuth_deg = 200;
  c.backazimuth_deg = 10;
  auto& a = source.add("IU", "A", "", "BHZ").header;
  a.gcarc_deg = 60;
  a.azimuth_deg = 20;
  a.backazimuth_deg = 190;
  Options o;
  const auto places = [&](const Options& options) {
    const Section s = read_headers(source, options);
    return std::pair{std::vector<double>{s.traces[0].place, s.traces[1].place}, position_axis_title(s)};
  };
  EXPECT_EQ(places(o), std::pair(std::vector<double>{30, 60}, std::string("Distance (deg)")));
  o.drawing.distance_unit = DistanceUnit::km;
  auto km = places(o);
  EXPECT_NEAR(km.first[0], 30 * 111.19492664, 1e-6);
  EXPECT_EQ(km.second, "Distance (km)");
  o.drawing.distance_unit.reset();
  o.drawing.sort = SortKey::azimuth;
  EXPECT_EQ(places(o), std::pair(std::vector<double>{200, 20}, std::string("Azimuth (deg)")));
  o.drawing.sort = SortKey::backazimuth;
  EXPECT_EQ(places(o).first, (std::vector<double>{10, 190}));
  o.drawing.sort = SortKey::name;
  EXPECT_EQ(places(o), std::pair(std::vector<double>{2, 1}, std::string("Trace (by name)")));
  o.drawing.sort = SortKey::none;
  EXPECT_EQ(places(o).first, (std::vector<double>{1, 2}));
  // A key a trace lacks is bad input naming it.
  source.unit_traces[1][0].header.azimuth_deg.reset();
  o.drawing.sort = SortKey::azimuth;
  EXPECT_THROW(read_headers(source, o), InputError);
}

TEST(SectionChoices, AbsoluteTimeLabelsTheClockAcrossMidnight) {
  MemorySource source;
  const double midnight = 1.7e9 - std::fmod(1.7e9, 86400.0) + 86400;
  auto& before = source.add("IU", "A", "", "BHZ");
  before.header.reference_epoch = midnight - 60;  // begins one minute before midnight
  before.samples = section_test::test_wavelet(241, 1.0f);  // two minutes at 0.5 s
  auto& after = source.add("IU", "B", "", "BHZ");
  after.header.reference_epoch = midnight;
  source.add("IU", "C", "", "BHZ");  // no reference time
  Options o;
  o.drawing.time = TimeLabels::absolute;
  const Section s = read_headers(source, o);
  EXPECT_EQ(drawn_labels(s), (std::vector<std::string>{"IU.A.BHZ", "IU.B.BHZ"}));
  EXPECT_EQ(s.notes.size(), 1u);
  ASSERT_TRUE(s.epoch_zero);
  EXPECT_EQ(*s.epoch_zero, midnight - 60);
  EXPECT_EQ(s.traces[1].time_shift, -60);  // B is drawn a minute after A's start
  const auto numbers = time_axis_numbers(s, o);
  ASSERT_GE(numbers.size(), 3u);
  bool crossed = false;
  for (const NumberedTick& n : numbers) crossed = crossed || n.text.rfind("00:0", 0) == 0;
  EXPECT_EQ(numbers.front().text.substr(0, 5), "23:59");
  EXPECT_TRUE(crossed);
  EXPECT_NE(time_axis_title(s, o).find("UTC"), std::string::npos);
}

// The whole drawing from memory: full identities as labels, in Helvetica.
TEST(SectionChoices, MemoryTracesAreDrawnWithTheirFullIdentities) {
  MemorySource source;
  source.add("IU", "ADK", "00", "BHZ");
  source.add("IU", "ADK", "10", "BHZ");
  for (const bool vertical : {false, true}) {
    Options o;
    o.drawing.vertical = vertical;
    Section s = read_headers(source, o);
    read_peaks(source, s);
    const std::string path = section_test::fresh_path("memory.eps");
    plume::connect_unit(8, path);
    plume::hplots(1, 1, 8, 0);
    draw_section(source, s, o);
    plume::hplots(0, 0, 8, 0);
    const std::string document = plume::testing::read_file(path);
    EXPECT_NE(document.find("(IU.ADK.00.BHZ) show"), std::string::npos);
    EXPECT_NE(document.find("(IU.ADK.10.BHZ) show"), std::string::npos);
    // Time runs along x, or downwards.
    const auto w = section_test::polylines(document, 41, 41);
    if (vertical) {
      EXPECT_TRUE(w.empty());
      std::vector<section_test::Motion> m = section_test::motions(document);
      std::size_t falling = 0;
      for (std::size_t i = 1; i < m.size(); ++i) falling += m[i].op == 'L' && m[i].y < m[i - 1].y - 1e-6;
      EXPECT_GE(falling, 2 * 40u);
    } else {
      EXPECT_EQ(w.size(), 2u);
    }
  }
}

}  // namespace
