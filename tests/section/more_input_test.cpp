// More input: SAC alphanumeric, Seismic Unix, full SEED volumes and
// directories; messages that name the format and quote odd file names;
// files that change between the passes.
#include <gtest/gtest.h>

#include <libmseed.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "section/fixtures.hpp"
#include "section/formats.hpp"
#include "section/input_error.hpp"
#include "section/record_section.hpp"
#include "section/seed_volume_writer.hpp"

namespace {

using namespace section_test;

struct Trace {
  section::TraceHeader header;
  std::vector<float> samples;
  std::vector<double> starts;
};

class Recorder : public section::TraceVisitor {
 public:
  std::map<std::size_t, Trace> traces;
  void header(std::size_t t, const section::TraceHeader& h) override { traces[t].header = h; }
  void run(std::size_t, double, std::int64_t) override {}
  void samples(std::size_t t, double start, std::span<const float> v) override {
    traces[t].samples.insert(traces[t].samples.end(), v.begin(), v.end());
    traces[t].starts.push_back(start);
  }
};

Recorder read(const std::string& path, section::Format expected) {
  EXPECT_EQ(section::detect_format(path), expected) << path;
  Recorder r;
  section::read_traces(path, expected, r, true);
  return r;
}

// The message of the InputError that reading `path` throws, or "".
std::string refusal(const std::string& path) {
  try {
    Recorder r;
    section::read_traces(path, section::detect_format(path), r, true);
  } catch (const section::InputError& e) {
    return e.what();
  }
  return "";
}

void write_text(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

SacTrace event_trace() {
  SacTrace t;
  t.delta = 0.25f;
  t.b = -1.5f;
  t.dist = 250.5f;
  t.kstnm = "ANMO";
  t.kcmpnm = "BHZ";
  t.texts = {{608, "IU"}, {464, "00"}};
  t.floats = {{8, 12.75f}, {51, 45.5f}};
  t.ints = {{70, 2026}, {71, 343}, {72, 1}, {73, 2}, {74, 3}, {75, 400}};
  t.samples = test_wavelet(23, 150.0f);
  t.samples[5] = 1.25e-3f;
  return t;
}

// ---- SAC alphanumeric ----

TEST(SacAlphanumeric, ReadsAsTheBinaryFileOfTheSameHeader) {
  const SacTrace t = event_trace();
  const std::string binary = fresh_path("event.sac");
  const std::string text = fresh_path("event.sac.txt");
  write_bytes(binary, sac_bytes(t, true));
  write_text(text, sac_alphanumeric(t));
  const Trace b = read(binary, section::Format::sac).traces.at(0);
  const Trace a = read(text, section::Format::sac_alphanumeric).traces.at(0);
  EXPECT_EQ(a.header.label, "IU.ANMO.00.BHZ");
  EXPECT_EQ(a.header.label, b.header.label);
  EXPECT_EQ(a.header.interval, b.header.interval);
  EXPECT_EQ(a.header.begin, b.header.begin);
  EXPECT_EQ(a.header.dist_km, b.header.dist_km);
  EXPECT_EQ(a.header.azimuth_deg, b.header.azimuth_deg);
  EXPECT_EQ(a.header.picks, b.header.picks);
  EXPECT_EQ(a.header.reference_epoch, b.header.reference_epoch);
  ASSERT_EQ(a.samples.size(), b.samples.size());
  for (std::size_t i = 0; i < a.samples.size(); ++i) {
    EXPECT_NEAR(a.samples[i], b.samples[i], 1e-6 * std::fabs(b.samples[i])) << "sample " << i;  // G15.7
  }
}

TEST(SacAlphanumeric, ShortAndLongFilesAreRefusedAsSacAlphanumeric) {
  const std::string full = sac_alphanumeric(event_trace());
  const std::string path = fresh_path("cut.sac.txt");
  write_text(path, full.substr(0, full.rfind('\n', full.size() - 2) + 1));  // the last sample line lost
  std::string message = refusal(path);
  EXPECT_NE(message.find("(SAC alphanumeric)"), std::string::npos) << message;
  EXPECT_NE(message.find("npts"), std::string::npos) << message;
  EXPECT_EQ(message.find("trace file"), std::string::npos) << message;
  write_text(path, full + "  1.000000      2.000000\n");
  message = refusal(path);
  EXPECT_NE(message.find("more samples than npts"), std::string::npos) << message;
}

// ---- Seismic Unix ----

TEST(SeismicUnix, TracesWithoutReelHeadersReadAsSegyioWritesThem) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  for (const bool big_endian : {true, false}) {
    SegyLayout layout;
    layout.seismic_unix = true;
    layout.big_endian = big_endian;
    layout.interval_us = 4000;
    layout.delay_ms = 250;
    layout.traces = {{1200, -10, {0, 1, -2, 3, 100, -100, 7}}, {150, 2, {5, 4, 3, 2, 1, 0, -1}}};
    const std::string path = fresh_path("gather.su");
    write_segy(path, layout);
    const Recorder r = read(path, section::Format::seismic_unix);
    ASSERT_EQ(r.traces.size(), 2u);
    const double offsets[] = {120.0, 300.0};
    for (std::size_t t = 0; t < 2; ++t) {
      EXPECT_DOUBLE_EQ(r.traces.at(t).header.interval, 0.004);
      EXPECT_DOUBLE_EQ(r.traces.at(t).header.begin, 0.25);
      EXPECT_EQ(r.traces.at(t).header.offset_m, offsets[t]);
      EXPECT_EQ(r.traces.at(t).samples, layout.traces[t].samples) << (big_endian ? "big" : "little") << " trace " << t;
    }
    // Cut inside a trace it has no header that says what it is, and it is
    // not taken for a trace file.
    std::vector<unsigned char> bytes = read_bytes(path);
    bytes.resize(bytes.size() - 3);
    write_bytes(path, bytes);
    EXPECT_NE(refusal(path).find("unknown format"), std::string::npos) << refusal(path);
  }
}

// ---- SEED volumes ----

std::vector<MiniseedSegment> two_channels() {
  MiniseedSegment z;
  z.network = "IU";
  z.station = "ANMO";
  z.location = "00";
  z.encoding = DE_STEIM2;
  z.samples.resize(3000);
  for (std::size_t i = 0; i < z.samples.size(); ++i) z.samples[i] = static_cast<float>((static_cast<int>(i * 37) % 401) - 200);
  MiniseedSegment n = z;
  n.channel = "BHN";
  std::reverse(n.samples.begin(), n.samples.end());
  return {z, n};
}

TEST(SeedVolume, TheDataRecordsAreReadAndTheControlHeadersSkipped) {
  const auto segments = two_channels();
  const std::string path = fresh_path("event.seed");
  write_bytes(path, seed_volume(segments));
  const Recorder r = read(path, section::Format::seed_volume);
  ASSERT_EQ(r.traces.size(), 2u);
  EXPECT_EQ(r.traces.at(0).header.label, "IU.ANMO.00.BHZ");
  EXPECT_EQ(r.traces.at(1).header.label, "IU.ANMO.00.BHN");
  EXPECT_EQ(r.traces.at(0).samples, segments[0].samples);
  EXPECT_EQ(r.traces.at(1).samples, segments[1].samples);
  EXPECT_TRUE(r.traces.at(0).header.absolute_time);
}

TEST(SeedVolume, ADatalessVolumeSaysWhatItIs) {
  const std::string path = fresh_path("dataless.seed");
  write_bytes(path, seed_volume({}));
  const std::string message = refusal(path);
  EXPECT_NE(message.find("(SEED volume)"), std::string::npos) << message;
  EXPECT_NE(message.find("no waveforms"), std::string::npos) << message;
  EXPECT_EQ(message.find("trace file"), std::string::npos) << message;
}

// ---- directories and mixed byte orders ----

TEST(Directories, EveryFileInAFormatInNameOrderOthersSkippedWithANote) {
  const std::string dir = fresh_path("event-dir");
  std::filesystem::create_directories(dir + "/subdirectory");
  SacTrace t = event_trace();
  t.kstnm = "BBB";
  write_bytes(dir + "/b.sac", sac_bytes(t, false));  // little-endian
  t.kstnm = "AAA";
  write_bytes(dir + "/a.sac", sac_bytes(t, true));  // big-endian
  write_text(dir + "/README", "Event of 2026-12-09, four stations.\n");
  MiniseedSegment m;
  m.samples.assign(40, 3.0f);
  write_bytes(dir + "/c.mseed", miniseed_bytes(m));

  std::vector<std::string> notes;
  const std::vector<std::string> files = section::directory_files(dir, notes);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(std::filesystem::path(files[0]).filename(), "a.sac");
  EXPECT_EQ(std::filesystem::path(files[2]).filename(), "c.mseed");
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_NE(notes[0].find("README"), std::string::npos) << notes[0];
  EXPECT_NE(notes[1].find("subdirectory"), std::string::npos) << notes[1];

  const Recorder r = read(dir, section::Format::directory);
  ASSERT_EQ(r.traces.size(), 3u);
  EXPECT_EQ(r.traces.at(0).header.station, "AAA");
  EXPECT_EQ(r.traces.at(1).header.station, "BBB");
  EXPECT_EQ(r.traces.at(0).samples, r.traces.at(1).samples) << "both byte orders read alike";
  EXPECT_EQ(r.traces.at(2).header.label, "XX.ST01.BHZ");

  const SectionRun run = run_section({dir}, fresh_path("dir.eps"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("README"), std::string::npos) << run.err;
  EXPECT_EQ(polylines(run.document, 23, 23).size(), 2u);
  const std::string empty = fresh_path("empty-dir");
  std::filesystem::create_directories(empty);
  const SectionRun none = run_section({empty}, fresh_path("none.eps"));
  EXPECT_EQ(none.status, 2) << none.err;
}

// ---- messages ----

TEST(Messages, EveryMessageAboutAFileNamesItsFormat) {
  MiniseedSegment m;
  m.samples.assign(300, 1.0f);
  std::vector<unsigned char> mseed = miniseed_bytes(m);
  mseed.resize(mseed.size() - 100);
  const std::string mseed_path = fresh_path("cut.mseed");
  write_bytes(mseed_path, mseed);
  EXPECT_NE(refusal(mseed_path).find("(miniSEED)"), std::string::npos) << refusal(mseed_path);

  SacTrace s;
  s.samples = {1, 2, 3};
  s.iftype = 2;
  const std::string sac_path = fresh_path("spectrum.sac");
  write_bytes(sac_path, sac_bytes(s, true));
  EXPECT_NE(refusal(sac_path).find(sac_path + " (SAC): trace 1: iftype"), std::string::npos) << refusal(sac_path);

  const std::string text_path = fresh_path("fort.10");
  write_text(text_path, "   0.5\nxx\n");
  EXPECT_NE(refusal(text_path).find(text_path + " (trace file)"), std::string::npos) << refusal(text_path);
}

TEST(Messages, FileNamesWithControlCharactersAreQuoted) {
  const std::string path = fresh_path("forged\nplume-section: all is well.sac");
  std::vector<unsigned char> junk(700, 0x01);
  write_bytes(path, junk);
  const std::string message = refusal(path);
  EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  EXPECT_NE(message.find("forged\\nplume-section"), std::string::npos) << message;
  const SectionRun run = run_section({path}, fresh_path("forged.eps"));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

// ---- files that change between the passes ----

bool refused_after_shrinking(const std::string& path, std::size_t keep) {
  section::Options options;
  options.inputs = {path};
  const section::InputSet inputs = section::detect_inputs(options.inputs);
  section::Section s = section::read_headers(inputs, options);
  std::vector<unsigned char> bytes = read_bytes(path);
  bytes.resize(keep);
  write_bytes(path, bytes);
  try {
    section::read_peaks(inputs, s);
  } catch (const section::InputError& e) {
    EXPECT_NE(std::string(e.what()).find("changed"), std::string::npos) << e.what();
    return true;
  }
  return false;
}

TEST(ChangedFiles, AFileCutBetweenTracesOrRecordsAfterTheFirstPassIsRefused) {
  MiniseedSegment m;
  m.samples = test_wavelet(2000, 50);
  const std::string mseed = fresh_path("shrinking.mseed");
  write_bytes(mseed, miniseed_bytes(m));
  EXPECT_TRUE(refused_after_shrinking(mseed, 512)) << "miniSEED cut to its first record";
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  SegyLayout layout;
  layout.traces = {{10, 1, test_wavelet(50, 1)}, {20, 1, test_wavelet(50, 2)}, {30, 1, test_wavelet(50, 3)}};
  const std::string segy = fresh_path("shrinking.sgy");
  write_segy(segy, layout);
  EXPECT_TRUE(refused_after_shrinking(segy, 3600 + 2 * (240 + 50 * 4))) << "SEG-Y cut to two traces";
}

}  // namespace
