// The readers against files from the independent writers: SAC from the
// test writer, SEG-Y from segyio's Python module, miniSEED from libmseed.
#include <gtest/gtest.h>

#include <libmseed.h>

#include <cmath>
#include <map>

#include "section/fixtures.hpp"
#include "section/formats.hpp"
#include "section/input_error.hpp"
#include "section/layout.hpp"

namespace {

using namespace section_test;

struct Recorded {
  section::TraceHeader header;
  std::vector<std::pair<double, std::vector<float>>> runs;
  std::vector<std::pair<double, std::int64_t>> extents;
};

class Recorder : public section::TraceVisitor {
 public:
  std::map<std::size_t, Recorded> traces;
  void header(std::size_t t, const section::TraceHeader& h) override { traces[t].header = h; }
  void run(std::size_t t, double start, std::int64_t count) override { traces[t].extents.emplace_back(start, count); }
  void samples(std::size_t t, double start, std::span<const float> v) override {
    traces[t].runs.emplace_back(start, std::vector<float>(v.begin(), v.end()));
  }
};

Recorder read_all(const std::string& path, section::Format expected) {
  EXPECT_EQ(section::detect_format(path), expected);
  Recorder r;
  section::read_traces(path, expected, r, true);
  Recorder headers_only;
  section::read_traces(path, expected, headers_only, false);
  // Both passes see the same traces, and the extents match the samples.
  EXPECT_EQ(headers_only.traces.size(), r.traces.size());
  for (auto& [t, rec] : headers_only.traces) {
    const auto& runs = r.traces[t].runs;
    EXPECT_EQ(rec.extents.size(), runs.size());
    for (std::size_t i = 0; i < std::min(rec.extents.size(), runs.size()); ++i) {
      EXPECT_EQ(rec.extents[i].first, runs[i].first);
      EXPECT_EQ(rec.extents[i].second, static_cast<std::int64_t>(runs[i].second.size()));
    }
  }
  return r;
}

std::vector<float> joined(const Recorded& r) {
  std::vector<float> all;
  for (const auto& run : r.runs) all.insert(all.end(), run.second.begin(), run.second.end());
  return all;
}

// ---- SAC ----

struct SacCase {
  bool big_endian;
  int version;
};
class SacReader : public testing::TestWithParam<SacCase> {};

TEST_P(SacReader, ReadsHeaderAndSamplesInEitherByteOrder) {
  SacTrace t;
  t.nvhdr = GetParam().version;
  t.delta = 0.25f;
  t.b = -1.5f;
  t.footer_delta = 0.25;
  t.footer_b = -1.5;
  t.dist = 250.5f;
  t.gcarc = 2.25f;
  t.kstnm = "ANMO";
  t.kcmpnm = "BHZ";
  t.samples = {0.0f, 1.5f, -2.25f, 1e-3f, 3.0e5f};
  const std::string path = fresh_path("trace.sac");
  write_bytes(path, sac_bytes(t, GetParam().big_endian));
  const Recorder r = read_all(path, section::Format::sac);
  ASSERT_EQ(r.traces.size(), 1u);
  const Recorded& rec = r.traces.at(0);
  EXPECT_EQ(rec.header.interval, 0.25);
  EXPECT_EQ(rec.header.begin, -1.5);
  EXPECT_EQ(rec.header.dist_km, 250.5);
  EXPECT_EQ(rec.header.gcarc_deg, 2.25);
  EXPECT_EQ(rec.header.label, "ANMO.BHZ");
  EXPECT_FALSE(rec.header.absolute_time);
  ASSERT_EQ(rec.runs.size(), 1u);
  EXPECT_EQ(rec.runs[0].first, -1.5);
  EXPECT_EQ(rec.runs[0].second, t.samples);
}

TEST_P(SacReader, UnsetFieldsAreLeftOut) {
  SacTrace t;
  t.nvhdr = GetParam().version;
  t.samples = {1.0f, 2.0f};
  const std::string path = fresh_path("unset.sac");
  write_bytes(path, sac_bytes(t, GetParam().big_endian));
  const Recorder r = read_all(path, section::Format::sac);
  const Recorded& rec = r.traces.at(0);
  EXPECT_FALSE(rec.header.dist_km.has_value());
  EXPECT_FALSE(rec.header.gcarc_deg.has_value());
  EXPECT_EQ(rec.header.label, "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, SacReader,
                         testing::Values(SacCase{true, 6}, SacCase{false, 6}, SacCase{true, 7}, SacCase{false, 7}),
                         [](const testing::TestParamInfo<SacCase>& i) {
                           return std::string(i.param.big_endian ? "big" : "little") + "_v" +
                                  std::to_string(i.param.version);
                         });

TEST(SacReaderVersion7, TheFooterDoublesWinOverTheHeaderFloats) {
  SacTrace t;
  t.nvhdr = 7;
  t.delta = 0.1f;  // the float nearest 0.1
  t.footer_delta = 0.1;
  t.footer_b = 1000000.125;  // beyond a float's precision
  t.samples = {1.0f};
  const std::string path = fresh_path("v7.sac");
  write_bytes(path, sac_bytes(t, false));
  const Recorder r = read_all(path, section::Format::sac);
  EXPECT_EQ(r.traces.at(0).header.interval, 0.1);
  EXPECT_EQ(r.traces.at(0).header.begin, 1000000.125);
}

// ---- SEG-Y ----

struct SegyCase {
  int format;
  bool big_endian;
  int revision;
};
class SegyReader : public testing::TestWithParam<SegyCase> {};

TEST_P(SegyReader, ReadsEverySampleFormatInEitherByteOrder) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  SegyLayout layout;
  layout.format = GetParam().format;
  layout.big_endian = GetParam().big_endian;
  layout.revision = GetParam().revision;
  layout.interval_us = 4000;
  layout.delay_ms = 250;
  layout.traces = {{1200, -10, {0, 1, -2, 3, 100, -100, 7}}, {150, 2, {5, 4, 3, 2, 1, 0, -1}}, {42, 0, {0, 0, 0, 0, 0, 0, 1}}};
  const std::string path = fresh_path("gather.sgy");
  write_segy(path, layout);
  const Recorder r = read_all(path, section::Format::segy);
  ASSERT_EQ(r.traces.size(), 3u);
  const double offsets[] = {120.0, 300.0, 42.0};  // scalars -10 (divide), 2 (multiply), 0 (none)
  for (std::size_t t = 0; t < 3; ++t) {
    const Recorded& rec = r.traces.at(t);
    EXPECT_DOUBLE_EQ(rec.header.interval, 0.004);
    EXPECT_DOUBLE_EQ(rec.header.begin, 0.25);
    EXPECT_EQ(rec.header.offset_m, offsets[t]) << "trace " << t + 1;
    EXPECT_EQ(joined(rec), layout.traces[t].samples) << "trace " << t + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, SegyReader,
                         testing::Values(SegyCase{1, true, 1}, SegyCase{1, false, 1}, SegyCase{2, true, 1},
                                         SegyCase{2, false, 1}, SegyCase{3, true, 1}, SegyCase{3, false, 1},
                                         SegyCase{5, true, 1}, SegyCase{5, false, 1}, SegyCase{8, true, 1},
                                         SegyCase{8, false, 1}, SegyCase{5, true, 0}, SegyCase{1, true, 0},
                                         SegyCase{5, false, 2}, SegyCase{3, false, 2}),
                         [](const testing::TestParamInfo<SegyCase>& i) {
                           return "format" + std::to_string(i.param.format) + (i.param.big_endian ? "_big" : "_little") +
                                  "_rev" + std::to_string(i.param.revision);
                         });

TEST(SegyReaderIbm, ConvertsIbmFloatsThroughSegyio) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  SegyLayout layout;
  layout.format = 1;
  layout.traces = {{0, 1, {0.5f, -0.25f, 1024.0f, 3.0e-3f, -7.5e4f}}};
  const std::string path = fresh_path("ibm.sgy");
  write_segy(path, layout);
  const Recorder r = read_all(path, section::Format::segy);
  const auto values = joined(r.traces.at(0));
  ASSERT_EQ(values.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(values[i], layout.traces[0].samples[i], 1e-6 * std::fabs(layout.traces[0].samples[i]));
}

// ---- miniSEED ----

struct MseedCase {
  int encoding;
  int byte_order;
};
class MiniseedReader : public testing::TestWithParam<MseedCase> {};

TEST_P(MiniseedReader, JoinsTheRecordsOfOneChannel) {
  MiniseedSegment s;
  s.encoding = GetParam().encoding;
  s.byte_order = GetParam().byte_order;
  s.start_seconds = 1.7e9 + 0.5;
  s.samples.resize(700);
  for (std::size_t i = 0; i < s.samples.size(); ++i) s.samples[i] = static_cast<float>((static_cast<int>(i * 37) % 201) - 100);
  const std::string path = fresh_path("day.mseed");
  write_bytes(path, miniseed_bytes(s));
  const Recorder r = read_all(path, section::Format::miniseed);
  ASSERT_EQ(r.traces.size(), 1u);
  const Recorded& rec = r.traces.at(0);
  EXPECT_GT(rec.runs.size(), 1u) << "the fixture should span several records";
  EXPECT_EQ(joined(rec), s.samples);
  EXPECT_EQ(rec.header.label, "ST01.BHZ");
  EXPECT_TRUE(rec.header.absolute_time);
  EXPECT_DOUBLE_EQ(rec.header.interval, 1.0 / 16);
  // Each record starts where the one before it ended.
  double expected = s.start_seconds;
  for (const auto& [start, values] : rec.runs) {
    EXPECT_NEAR(start, expected, 1e-6);
    expected = start + static_cast<double>(values.size()) / 16.0;
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, MiniseedReader,
                         testing::Values(MseedCase{DE_FLOAT32, 1}, MseedCase{DE_FLOAT32, 0}, MseedCase{DE_FLOAT64, 1},
                                         MseedCase{DE_INT32, 1}, MseedCase{DE_INT32, 0}, MseedCase{DE_INT16, 1},
                                         MseedCase{DE_STEIM1, 1}, MseedCase{DE_STEIM2, 1}),
                         [](const testing::TestParamInfo<MseedCase>& i) {
                           return "encoding" + std::to_string(i.param.encoding) + (i.param.byte_order ? "_big" : "_little");
                         });

TEST(MiniseedChannels, InterleavedChannelsAreTracesOfTheirOwn) {
  MiniseedSegment z;
  z.samples.assign(100, 1.0f);
  MiniseedSegment n = z;
  n.channel = "BHN";
  n.samples.assign(100, -1.0f);
  MiniseedSegment z2 = z;
  z2.start_seconds = z.start_seconds + 100.0 / 16;  // continues BHZ
  z2.samples.assign(50, 2.0f);
  auto bytes = miniseed_bytes(z);
  const auto nb = miniseed_bytes(n);
  const auto zb = miniseed_bytes(z2);
  bytes.insert(bytes.end(), nb.begin(), nb.end());
  bytes.insert(bytes.end(), zb.begin(), zb.end());
  const std::string path = fresh_path("two.mseed");
  write_bytes(path, bytes);
  const Recorder r = read_all(path, section::Format::miniseed);
  ASSERT_EQ(r.traces.size(), 2u);
  EXPECT_EQ(r.traces.at(0).header.label, "ST01.BHZ");
  EXPECT_EQ(r.traces.at(1).header.label, "ST01.BHN");
  EXPECT_EQ(joined(r.traces.at(0)).size(), 150u);
  EXPECT_EQ(joined(r.traces.at(1)).size(), 100u);
}

// ---- detection ----

TEST(FormatDetection, TextIsATraceFileAndUnknownBytesAreRefused) {
  const std::string text = fresh_path("fort.10");
  write_bytes(text, {'0', '.', '5', '\n', '0', '\n'});
  EXPECT_EQ(section::detect_format(text), section::Format::trace_file);

  const std::string junk = fresh_path("junk.bin");
  std::vector<unsigned char> bytes(5000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 131 + 7);
  bytes[3224] = 0x7f;  // no SEG-Y format code in either byte order
  bytes[3225] = 0x7f;
  write_bytes(junk, bytes);
  try {
    section::detect_format(junk);
    FAIL() << "unknown bytes were accepted";
  } catch (const section::InputError& e) {
    EXPECT_NE(std::string(e.what()).find(junk), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("unknown format"), std::string::npos);
  }
}

}  // namespace
