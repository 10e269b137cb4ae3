// What the readers take from the headers besides the samples: the full
// identity, azimuths, picks and the reference time (SAC), the time scalar
// and recording time (SEG-Y), network and location, and runs joined across
// records (miniSEED); fields that are not numbers are refused by name.
#include <gtest/gtest.h>

#include <libmseed.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <map>

#include "section/fixtures.hpp"
#include "section/formats.hpp"
#include "section/input_error.hpp"

namespace {

using namespace section_test;
using section::Pick;

// Every call a reader makes, in order.
struct Call {
  std::size_t trace;
  double start;
  std::int64_t count;
  std::vector<float> values;
  bool operator==(const Call&) const = default;
};

class Recorder : public section::TraceVisitor {
 public:
  std::map<std::size_t, section::TraceHeader> headers;
  std::vector<Call> calls;
  void header(std::size_t t, const section::TraceHeader& h) override { headers[t] = h; }
  void run(std::size_t t, double start, std::int64_t count) override { calls.push_back({t, start, count, {}}); }
  void samples(std::size_t t, double start, std::span<const float> v) override {
    calls.push_back({t, start, static_cast<std::int64_t>(v.size()), {v.begin(), v.end()}});
  }
};

Recorder read(const std::string& path, bool with_samples = true) {
  Recorder r;
  section::read_traces(path, section::detect_format(path), r, with_samples);
  return r;
}

double utc(int year, int day, int hour, int minute, double second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mday = day;  // day of the year in January: timegm carries it over
  tm.tm_hour = hour;
  tm.tm_min = minute;
  return static_cast<double>(timegm(&tm)) + second;
}

std::size_t pick(Pick p) { return static_cast<std::size_t>(p); }

// ---- SAC ----

struct SacCase {
  bool big_endian;
  int version;
};
class SacIdentity : public testing::TestWithParam<SacCase> {};

TEST_P(SacIdentity, FullIdentityAzimuthsPicksAndReferenceTime) {
  SacTrace t;
  t.nvhdr = GetParam().version;
  t.samples = {1, 2, 3};
  t.texts = {{608, "IU"}, {440, "ANMO"}, {464, "00"}, {600, "BHZ"}};
  t.floats = {{51, 123.25f}, {52, 301.5f}, {7, -12.5f}, {8, 33.25f}, {10, 40.0f}, {19, 99.5f}};
  t.ints = {{70, 2026}, {71, 343}, {72, 23}, {73, 59}, {74, 58}, {75, 250}};
  // Version 7 takes the picks from the footer, at full precision.
  const double precise_a = 1000000.0625;
  if (t.nvhdr == 7) t.footer = {{3, -12.5}, {4, precise_a}, {5, 40.0}, {14, 99.5}};
  const std::string path = fresh_path("identity.sac");
  write_bytes(path, sac_bytes(t, GetParam().big_endian));
  const section::TraceHeader h = read(path).headers.at(0);
  EXPECT_EQ(h.label, "IU.ANMO.00.BHZ");
  EXPECT_EQ(h.network, "IU");
  EXPECT_EQ(h.station, "ANMO");
  EXPECT_EQ(h.location, "00");
  EXPECT_EQ(h.channel, "BHZ");
  EXPECT_EQ(h.azimuth_deg, 123.25);
  EXPECT_EQ(h.backazimuth_deg, 301.5);
  EXPECT_EQ(h.picks[pick(Pick::o)], -12.5);
  EXPECT_EQ(h.picks[pick(Pick::a)], t.nvhdr == 7 ? precise_a : 33.25);
  EXPECT_EQ(h.picks[pick(Pick::t0)], 40.0);
  EXPECT_EQ(h.picks[pick(Pick::t9)], 99.5);
  for (const Pick unset : {Pick::t1, Pick::t5, Pick::t8}) EXPECT_FALSE(h.picks[pick(unset)].has_value());
  ASSERT_TRUE(h.reference_epoch.has_value());
  EXPECT_DOUBLE_EQ(*h.reference_epoch, utc(2026, 343, 23, 59, 58.25));
}

TEST_P(SacIdentity, EmptyPartsAreLeftOutOfTheLabelAndUnsetTimesGiveNoReference) {
  SacTrace t;
  t.nvhdr = GetParam().version;
  t.samples = {1, 2};
  t.kstnm = "ANMO";
  t.kcmpnm = "BHZ";
  t.texts = {{464, "  "}};
  t.ints = {{70, 2026}, {71, 343}};  // the time of day unset
  const std::string path = fresh_path("partial.sac");
  write_bytes(path, sac_bytes(t, GetParam().big_endian));
  const section::TraceHeader h = read(path).headers.at(0);
  EXPECT_EQ(h.label, "ANMO.BHZ");
  EXPECT_EQ(h.network, "");
  EXPECT_EQ(h.location, "");
  EXPECT_FALSE(h.reference_epoch.has_value());
  EXPECT_FALSE(h.azimuth_deg.has_value());
  EXPECT_FALSE(h.picks[pick(Pick::o)].has_value());
}

INSTANTIATE_TEST_SUITE_P(Layouts, SacIdentity,
                         testing::Values(SacCase{true, 6}, SacCase{false, 6}, SacCase{true, 7}, SacCase{false, 7}),
                         [](const testing::TestParamInfo<SacCase>& i) {
                           return std::string(i.param.big_endian ? "big" : "little") + "_v" +
                                  std::to_string(i.param.version);
                         });

TEST(SacFields, ValuesThatAreNotNumbersAreRefusedByFileAndField) {
  const std::pair<int, const char*> fields[] = {{50, "dist"}, {53, "gcarc"}, {51, "az"}, {52, "baz"}, {8, "a"}};
  for (const auto& [word, name] : fields) {
    for (const float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
      SacTrace t;
      t.samples = {1, 2};
      t.dist = 100;
      t.floats = {{word, bad}};
      const std::string path = fresh_path("bad-field.sac");
      write_bytes(path, sac_bytes(t, true));
      try {
        read(path, false);
        ADD_FAILURE() << name << " = " << bad << " was accepted";
      } catch (const section::InputError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(path), std::string::npos) << what;
        EXPECT_NE(what.find(std::string(": ") + name + ": "), std::string::npos) << what;
        EXPECT_NE(what.find("(SAC)"), std::string::npos) << what;
      }
    }
  }
}

TEST(SacFields, AReferenceTimeOutOfRangeIsRefused) {
  SacTrace t;
  t.samples = {1};
  t.ints = {{70, 2026}, {71, 400}, {72, 0}, {73, 0}, {74, 0}, {75, 0}};
  const std::string path = fresh_path("bad-day.sac");
  write_bytes(path, sac_bytes(t, false));
  EXPECT_THROW(read(path, false), section::InputError);
}

// ---- SEG-Y ----

SegyLayout small_gather(int revision) {
  SegyLayout layout;
  layout.revision = revision;
  layout.interval_us = 2000;
  layout.traces = {{100, 1, {0, 1, 0, -1}}, {200, 1, {1, 0, -1, 0}}};
  return layout;
}

TEST(SegyTimes, TheTimeScalarOfRevisionsOneAndTwoScalesTheDelay) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  struct Case {
    int revision, delay, scalar;
    double begin;
  };
  for (const Case c : {Case{1, 10000, -10, 1.0}, Case{2, 10000, -10, 1.0}, Case{1, 25, 10, 0.25},
                       Case{1, 300, 0, 0.3}, Case{0, 1500, -10, 1.5}}) {
    SegyLayout layout = small_gather(c.revision);
    layout.delay_ms = c.delay;
    layout.time_scalar = c.scalar;
    const std::string path = fresh_path("delay.sgy");
    write_segy(path, layout);
    const Recorder r = read(path);
    for (const auto& [trace, h] : r.headers) {
      EXPECT_DOUBLE_EQ(h.begin, c.begin) << "revision " << c.revision << ", delay " << c.delay << ", scalar " << c.scalar;
    }
    EXPECT_DOUBLE_EQ(r.calls.at(0).start, c.begin);
  }
}

TEST(SegyTimes, TheRecordingTimeIsTheReferenceWhenItIsUtc) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  for (const int basis : {0, 2, 4, 1}) {
    SegyLayout layout = small_gather(1);
    layout.recorded = std::array<int, 6>{2026, 343, 12, 30, 15, basis};
    const std::string path = fresh_path("recorded.sgy");
    write_segy(path, layout);
    const section::TraceHeader h = read(path, false).headers.at(1);
    if (basis == 1) {
      EXPECT_FALSE(h.reference_epoch.has_value()) << "local time has no UTC reference";
    } else {
      ASSERT_TRUE(h.reference_epoch.has_value()) << "time basis " << basis;
      EXPECT_EQ(*h.reference_epoch, utc(2026, 343, 12, 30, 15));
    }
  }
}

// ---- miniSEED ----

TEST(MiniseedIdentity, NetworkAndLocationKeepChannelsApart) {
  MiniseedSegment a;
  a.network = "IU";
  a.station = "ADK";
  a.location = "00";
  a.samples.assign(50, 1.0f);
  MiniseedSegment b = a;
  b.location = "10";
  b.samples.assign(50, 2.0f);
  auto bytes = miniseed_bytes(a);
  const auto more = miniseed_bytes(b);
  bytes.insert(bytes.end(), more.begin(), more.end());
  const std::string path = fresh_path("adk.mseed");
  write_bytes(path, bytes);
  const Recorder r = read(path);
  ASSERT_EQ(r.headers.size(), 2u);
  EXPECT_EQ(r.headers.at(0).label, "IU.ADK.00.BHZ");
  EXPECT_EQ(r.headers.at(1).label, "IU.ADK.10.BHZ");
  EXPECT_EQ(r.headers.at(1).network, "IU");
  EXPECT_EQ(r.headers.at(1).location, "10");
  EXPECT_EQ(r.headers.at(1).channel, "BHZ");
}

// 3 samples a second: record start times, rounded to 100 microseconds in
// the record headers, are not where the samples of a run fall.
MiniseedSegment thirds(int encoding) {
  MiniseedSegment s;
  s.sample_rate = 3.0;
  s.start_seconds = 1.7e9 + 0.25;
  s.encoding = encoding;
  s.samples.resize(1000);
  for (std::size_t i = 0; i < s.samples.size(); ++i) s.samples[i] = static_cast<float>(std::sin(0.05 * static_cast<double>(i)) * 1000.0);
  return s;
}

TEST(MiniseedRuns, RecordsThatContinueEachOtherMakeOneRunWhateverTheirPacking) {
  const std::string f32 = fresh_path("f32.mseed");
  const std::string f64 = fresh_path("f64.mseed");
  write_bytes(f32, miniseed_bytes(thirds(DE_FLOAT32)));
  write_bytes(f64, miniseed_bytes(thirds(DE_FLOAT64)));
  for (const bool with_samples : {true, false}) {
    const Recorder a = read(f32, with_samples);
    const Recorder b = read(f64, with_samples);
    EXPECT_EQ(a.calls, b.calls) << (with_samples ? "samples" : "runs");
    std::int64_t n = 0;
    for (const Call& c : a.calls) {
      EXPECT_NEAR(c.start, 1.7e9 + 0.25 + static_cast<double>(n) / 3.0, 1e-6) << "timed from the run's first record";
      n += c.count;
    }
    EXPECT_EQ(n, 1000);
  }
  const Recorder joined = read(f32);
  std::vector<float> all;
  for (const Call& c : joined.calls) all.insert(all.end(), c.values.begin(), c.values.end());
  EXPECT_EQ(all, thirds(DE_FLOAT32).samples);
}

TEST(MiniseedRuns, AGapOfMoreThanHalfAnIntervalStartsANewRun) {
  for (const double gap : {0.4, 0.6}) {  // in sample intervals
    MiniseedSegment first;
    first.samples.assign(30, 1.0f);
    MiniseedSegment second = first;
    second.start_seconds = first.start_seconds + (30 + gap) / first.sample_rate;
    second.samples.assign(20, 2.0f);
    auto bytes = miniseed_bytes(first);
    const auto more = miniseed_bytes(second);
    bytes.insert(bytes.end(), more.begin(), more.end());
    const std::string path = fresh_path("gap.mseed");
    write_bytes(path, bytes);
    const Recorder r = read(path);
    ASSERT_EQ(r.calls.size(), gap < 0.5 ? 1u : 2u) << "gap of " << gap << " intervals";
    if (gap > 0.5) {
      EXPECT_NEAR(r.calls[1].start, second.start_seconds, 1e-4);
    }
  }
}

}  // namespace
