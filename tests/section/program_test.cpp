// plume-section end to end: the same samples through every format give the
// same drawing, every option changes the document as it should (lines, and
// pixels through Ghostscript for fill and clip), and bad input is refused
// with the file, the trace and the field named.
#include <gtest/gtest.h>

#include <libmseed.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "section/fixtures.hpp"
#include "support/document.hpp"

namespace {

using namespace section_test;

constexpr std::size_t kSamples = 64;
constexpr double kInterval = 0.0625;  // exact in every format's header
constexpr double kSheetOffset = 5.0;  // portrait documents sit 5 points into the sheet

std::vector<std::vector<float>> three_traces() {
  return {test_wavelet(kSamples, 1.0f), test_wavelet(kSamples, 2.0f), test_wavelet(kSamples, 4.0f)};
}

std::vector<std::string> sac_files(const std::vector<std::vector<float>>& traces, const std::vector<float>& dists = {},
                                   bool big_endian = true) {
  std::vector<std::string> paths;
  for (std::size_t t = 0; t < traces.size(); ++t) {
    SacTrace s;
    s.delta = static_cast<float>(kInterval);
    s.samples = traces[t];
    if (!dists.empty()) s.dist = dists[t];
    std::string name = std::to_string(t);  // not "t" + ...: GCC 12 warns falsely (-Wrestrict) there
    paths.push_back(fresh_path("t" + name.append(".sac")));
    write_bytes(paths.back(), sac_bytes(s, big_endian));
  }
  return paths;
}

std::string segy_file(const std::vector<std::vector<float>>& traces, bool big_endian = true) {
  SegyLayout layout;
  layout.big_endian = big_endian;
  layout.interval_us = static_cast<int>(kInterval * 1e6);
  for (const auto& t : traces) layout.traces.push_back({0, 1, t});
  const std::string path = fresh_path("gather.sgy");
  write_segy(path, layout);
  return path;
}

std::string miniseed_file(const std::vector<std::vector<float>>& traces) {
  std::vector<unsigned char> bytes;
  for (std::size_t t = 0; t < traces.size(); ++t) {
    MiniseedSegment s;
    s.network = "N" + std::to_string(t);  // one channel per trace, no station label
    s.station = "";
    s.channel = "";
    s.sample_rate = 1.0 / kInterval;
    s.samples = traces[t];
    const auto b = miniseed_bytes(s);
    bytes.insert(bytes.end(), b.begin(), b.end());
  }
  const std::string path = fresh_path("traces.mseed");
  write_bytes(path, bytes);
  return path;
}

SectionRun section_of(std::vector<std::string> args) {
  return run_section(args, fresh_path("section.eps"));
}

std::vector<std::vector<Motion>> wiggles(const SectionRun& run) { return polylines(run.document, kSamples, kSamples); }

double baseline(const std::vector<Motion>& wiggle) { return wiggle.front().y; }  // the first sample is 0
double peak_deflection(const std::vector<Motion>& wiggle) {
  double top = -1e9;
  for (const Motion& m : wiggle) top = std::max(top, m.y);
  return top - baseline(wiggle);
}

testing::AssertionResult succeeded(const SectionRun& run) {
  if (run.status == 0) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "exit " << run.status << ": " << run.err;
}

// ---- one drawing whatever the format ----

TEST(SectionFormats, TheSameSamplesGiveTheSameDrawingThroughSacSegyAndMiniseed) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  const auto traces = three_traces();
  for (const bool fill : {false, true}) {
    std::vector<std::string> extra;
    if (fill) extra.push_back("--fill");
    auto sac_args = sac_files(traces, {}, false);
    sac_args.insert(sac_args.end(), extra.begin(), extra.end());
    std::vector<std::string> segy_args{segy_file(traces)};
    segy_args.insert(segy_args.end(), extra.begin(), extra.end());
    std::vector<std::string> mseed_args{miniseed_file(traces)};
    mseed_args.insert(mseed_args.end(), extra.begin(), extra.end());
    const SectionRun sac = section_of(sac_args);
    const SectionRun segy = section_of(segy_args);
    const SectionRun mseed = section_of(mseed_args);
    ASSERT_TRUE(succeeded(sac));
    ASSERT_TRUE(succeeded(segy));
    ASSERT_TRUE(succeeded(mseed));
    EXPECT_EQ(wiggles(sac).size(), 3u);
    EXPECT_EQ(sac.document, segy.document) << "fill " << fill;
    EXPECT_EQ(sac.document, mseed.document) << "fill " << fill;
  }
}

TEST(SectionFormats, ATraceFileIsDrawnByPosition) {
  const std::string path = fresh_path("fort.10");
  std::ofstream out(path);
  // Interval 0.0625, two traces at positions 10 and 30, samples as written.
  out << "   0.0625000     0.00000\n    2\n    10.00000     0.00000\n    3\n    1.0000000\n"
         "   0.0000000   1.0000000  -1.0000000\n    30.00000     0.00000\n    3\n    1.0000000\n"
         "   0.0000000   0.5000000  -0.5000000\n";
  out.close();
  const SectionRun run = section_of({path});
  ASSERT_TRUE(succeeded(run));
  const auto w = polylines(run.document, 3, 3);
  ASSERT_GE(w.size(), 2u);
  EXPECT_LT(baseline(w[0]), baseline(w[1]));  // position 10 below position 30
  const std::string document = fresh_path("trace-file.eps");
  std::ofstream(document) << run.document;
  std::string rendered;
  EXPECT_TRUE(plume::testing::renders_cleanly(document, &rendered)) << rendered;
}

// ---- placement ----

TEST(SectionPlacement, SacDistancesPlaceTheBaselines) {
  const SectionRun run = section_of(sac_files(three_traces(), {100, 200, 400}));
  ASSERT_TRUE(succeeded(run));
  const auto w = wiggles(run);
  ASSERT_EQ(w.size(), 3u);
  const double d1 = baseline(w[1]) - baseline(w[0]);
  const double d2 = baseline(w[2]) - baseline(w[1]);
  EXPECT_GT(d1, 0);
  EXPECT_NEAR(d2 / d1, 2.0, 0.01);
}

TEST(SectionPlacement, GcarcStandsInWhenATraceLacksDist) {
  std::vector<std::string> paths;
  const float gcarcs[] = {1, 2, 4};
  for (int t = 0; t < 3; ++t) {
    SacTrace s;
    s.delta = static_cast<float>(kInterval);
    s.samples = test_wavelet(kSamples, 1);
    s.gcarc = gcarcs[t];
    if (t != 1) s.dist = 500.0f * static_cast<float>(t);  // dist 0 and 1000, the middle trace has none
    paths.push_back(fresh_path("g.sac"));
    write_bytes(paths.back(), sac_bytes(s, true));
  }
  const SectionRun run = section_of(paths);
  ASSERT_TRUE(succeeded(run));
  const auto w = wiggles(run);
  ASSERT_EQ(w.size(), 3u);
  EXPECT_NEAR((baseline(w[2]) - baseline(w[1])) / (baseline(w[1]) - baseline(w[0])), 2.0, 0.01);
  EXPECT_NE(run.document.find("pL"), std::string::npos);
}

TEST(SectionPlacement, SegyOffsetsCarryTheirScalar) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  SegyLayout layout;
  layout.interval_us = 62500;
  // 100 m, 2000 / 10 = 200 m, 30 x 10 = 300 m: evenly spaced.
  layout.traces = {{100, 1, test_wavelet(kSamples, 1)}, {2000, -10, test_wavelet(kSamples, 1)}, {30, 10, test_wavelet(kSamples, 1)}};
  const std::string path = fresh_path("offsets.sgy");
  write_segy(path, layout);
  const SectionRun run = section_of({path});
  ASSERT_TRUE(succeeded(run));
  const auto w = wiggles(run);
  ASSERT_EQ(w.size(), 3u);
  EXPECT_NEAR(baseline(w[1]) - baseline(w[0]), baseline(w[2]) - baseline(w[1]), 0.01);
  EXPECT_GT(baseline(w[1]), baseline(w[0]));
}

// ---- amplitude options ----

TEST(SectionAmplitude, NormalizeTraceAllAndNone) {
  const auto files = sac_files(three_traces());  // peaks 1, 2, 4
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = files;
    args.insert(args.end(), extra.begin(), extra.end());
    const SectionRun run = section_of(args);
    EXPECT_TRUE(succeeded(run));
    std::vector<double> peaks;
    for (const auto& w : wiggles(run)) peaks.push_back(peak_deflection(w));
    EXPECT_EQ(peaks.size(), 3u);
    peaks.resize(3);
    return peaks;
  };
  const auto by_trace = with({});
  const auto explicit_trace = with({"--normalize", "trace"});
  const auto all = with({"--normalize", "all"});
  const auto none = with({"--normalize", "none", "--scale", "0.25"});
  const auto one_spacing = with({"--scale", "1"});
  EXPECT_EQ(by_trace, explicit_trace);
  EXPECT_NEAR(by_trace[0], by_trace[2], 0.002);
  EXPECT_NEAR(by_trace[1], by_trace[2], 0.002);
  EXPECT_NEAR(all[2], by_trace[2], 0.002);  // the largest peak sets the common scale
  EXPECT_NEAR(all[0] / all[2], 0.25, 0.002);
  EXPECT_NEAR(all[1] / all[2], 0.5, 0.002);
  // none: one sample unit is one trace spacing (times --scale): the largest
  // sample (just under 4) times 0.25 spacings.
  const auto samples = three_traces()[2];
  const float largest = *std::max_element(samples.begin(), samples.end());
  EXPECT_NEAR(none[2] / one_spacing[2], 0.25 * largest, 1e-4);
  EXPECT_NEAR(none[0] / none[2], 0.25, 0.002);
  const auto doubled = with({"--scale", "2"});
  EXPECT_NEAR(doubled[0], 2 * one_spacing[0], 0.002);
  EXPECT_NEAR(one_spacing[0], 2 * by_trace[0], 0.002);  // the default is half a spacing
}

TEST(SectionAmplitude, ClipLimitsDeflectionsToTraceSpacings) {
  const auto files = sac_files(three_traces(), {100, 200, 300});
  std::vector<std::string> args = files;
  const SectionRun plain = section_of(args);
  args.insert(args.end(), {"--clip", "0.25"});
  const SectionRun clipped = section_of(args);
  ASSERT_TRUE(succeeded(plain));
  ASSERT_TRUE(succeeded(clipped));
  const auto wp = wiggles(plain);
  const auto wc = wiggles(clipped);
  ASSERT_EQ(wp.size(), 3u);
  ASSERT_EQ(wc.size(), 3u);
  const double spacing = baseline(wp[1]) - baseline(wp[0]);
  EXPECT_NEAR(peak_deflection(wp[0]), 0.5 * spacing, 0.002);  // scale 0.5: the peak reaches half-way to the next baseline
  for (const auto& w : wc) {
    EXPECT_NEAR(peak_deflection(w), 0.25 * spacing, 0.002);
    for (const Motion& m : w) EXPECT_GE(m.y, baseline(w) - 0.25 * spacing - 0.002);
  }
}

struct Rendered {
  plume::testing::Raster raster;
  bool ok = false;
};
Rendered render(const SectionRun& run) {
  Rendered r;
  const std::string path = fresh_path("render.eps");
  std::ofstream(path) << run.document;
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
  r.ok = plume::testing::rasterize(path, 72.0, r.raster);
  return r;
}
bool dark(const Rendered& r, double x, double y) {
  const auto p = r.raster.at_point(x + kSheetOffset, y + kSheetOffset);
  return p.r + p.g + p.b < 3 * 80;
}

TEST(SectionPixels, FillBlackensThePositiveLobesOnly) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  const auto files = sac_files(three_traces(), {100, 200, 300});
  std::vector<std::string> args = files;
  const SectionRun plain = section_of(args);
  args.push_back("--fill");
  const SectionRun filled = section_of(args);
  ASSERT_TRUE(succeeded(plain));
  ASSERT_TRUE(succeeded(filled));
  EXPECT_EQ(count_lines(plain.document, "fill"), 0);
  EXPECT_EQ(count_lines(filled.document, "fill"), 3);  // one positive lobe per trace
  const auto w = wiggles(filled)[1];
  // The positive lobe peaks a quarter of the way along, the negative one at
  // three quarters; probe half way between the baseline and each peak.
  const Motion up = w[kSamples / 4];
  const Motion down = w[3 * kSamples / 4];
  const double base = baseline(w);
  const Rendered p = render(plain);
  const Rendered f = render(filled);
  ASSERT_TRUE(p.ok && f.ok);
  EXPECT_TRUE(dark(f, up.x, (base + up.y) / 2));
  EXPECT_FALSE(dark(p, up.x, (base + up.y) / 2));
  EXPECT_FALSE(dark(f, down.x, (base + down.y) / 2));
}

TEST(SectionPixels, ClipCutsTheFilledLobe) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  const auto files = sac_files(three_traces(), {100, 200, 300});
  std::vector<std::string> args = files;
  args.insert(args.end(), {"--fill", "--scale", "1"});
  const SectionRun full = section_of(args);
  args.insert(args.end(), {"--clip", "0.3"});
  const SectionRun clipped = section_of(args);
  ASSERT_TRUE(succeeded(full));
  ASSERT_TRUE(succeeded(clipped));
  const auto w = wiggles(full)[1];
  const double base = baseline(w);
  const double spacing = baseline(wiggles(full)[2]) - base;
  const double x = w[kSamples / 4].x;
  const Rendered f = render(full);
  const Rendered c = render(clipped);
  ASSERT_TRUE(f.ok && c.ok);
  EXPECT_TRUE(dark(f, x, base + 0.6 * spacing));
  EXPECT_FALSE(dark(c, x, base + 0.6 * spacing));  // above the clip level
  EXPECT_TRUE(dark(c, x, base + 0.15 * spacing));   // below it, still filled
}

// ---- dense traces ----

// 200,000 samples over 200 s, a slow swing under noise, with one spike up
// and one down: at 600 dpi about 60 samples share each dot of the time axis.
constexpr std::size_t kDenseSamples = 200'000;
constexpr std::size_t kSpikeUp = 123'457;
constexpr std::size_t kSpikeDown = 7'001;
std::string dense_sac() {
  SacTrace s;
  s.delta = 0.001f;
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < kDenseSamples; ++i) {
    state = state * 1664525u + 1013904223u;
    const float noise = static_cast<float>(state >> 8) / static_cast<float>(1u << 24) - 0.5f;
    s.samples.push_back(std::sin(static_cast<float>(i) * 1.5e-4f) + 0.3f * noise);
  }
  s.samples[kSpikeUp] = 4.0f;
  s.samples[kSpikeDown] = -3.0f;
  const std::string path = fresh_path("dense.sac");
  write_bytes(path, sac_bytes(s, true));
  return path;
}

struct Extent {
  std::size_t draws = 0;
  double low = 1e9, high = -1e9, left = 1e9, right = -1e9;
};
// The one trace's wiggle: the longest chain of motions whose x never falls,
// across the plotter's path restarts (a move to where the pen stands).
// Dense samples share x values at the document's 0.001 point precision.
Extent wiggle_extent(const SectionRun& run) {
  std::vector<Motion> longest, chain;
  for (const Motion& m : motions(run.document)) {
    const bool continues = !chain.empty() && m.x >= chain.back().x &&
                           (m.op == 'L' || (m.x == chain.back().x && m.y == chain.back().y));
    if (!continues) {
      if (chain.size() > longest.size()) longest.swap(chain);
      chain.clear();
    }
    if (m.op == 'L' || chain.empty()) chain.push_back(m);
  }
  if (chain.size() > longest.size()) longest.swap(chain);
  Extent e;
  e.draws = longest.empty() ? 0 : longest.size() - 1;
  for (const Motion& m : longest) {
    e.low = std::min(e.low, m.y);
    e.high = std::max(e.high, m.y);
    e.left = std::min(e.left, m.x);
    e.right = std::max(e.right, m.x);
  }
  return e;
}

TEST(SectionThinning, DenseSamplesKeepEachDotsExtremesAndEnds) {
  const std::string sac = dense_sac();
  const SectionRun every = section_of({sac, "--resolution", "0"});
  const SectionRun thinned = section_of({sac});
  ASSERT_TRUE(succeeded(every));
  ASSERT_TRUE(succeeded(thinned));
  const Extent all = wiggle_extent(every);
  const Extent kept = wiggle_extent(thinned);
  EXPECT_EQ(all.draws, kDenseSamples - 1);
  // At most four samples per 1/600 inch of a time axis no longer than 15 cm.
  EXPECT_LE(kept.draws, 4 * static_cast<std::size_t>(15 / 2.54 * 600 + 1));
  EXPECT_GT(kept.draws, 2 * static_cast<std::size_t>(5 / 2.54 * 600));
  // Both spikes, the first and the last sample stay where they were.
  EXPECT_EQ(kept.high, all.high);
  EXPECT_EQ(kept.low, all.low);
  EXPECT_EQ(kept.left, all.left);
  EXPECT_EQ(kept.right, all.right);
  // A coarser resolution keeps fewer.
  const SectionRun coarse = section_of({sac, "--resolution", "100"});
  ASSERT_TRUE(succeeded(coarse));
  EXPECT_LT(wiggle_extent(coarse).draws, kept.draws / 4);
}

TEST(SectionThinning, SparseSamplesAreDrawnEveryOne) {
  const auto files = sac_files(three_traces());
  std::vector<std::string> args = files;
  args.push_back("--fill");
  const SectionRun thinned = section_of(args);
  args.insert(args.end(), {"--resolution", "0"});
  const SectionRun every = section_of(args);
  ASSERT_TRUE(succeeded(thinned));
  EXPECT_EQ(thinned.document, every.document);
}

// Pixels dark in one raster and not the other, other than on an edge of
// what both draw (a neighbour dark in both): thinning may move an edge by a
// dot, never more.
struct Difference {
  std::size_t dark = 0;     // in `a`
  std::size_t edge = 0;     // differing pixels beside ink both have
  std::size_t beyond = 0;   // differing pixels away from it
};
Difference difference(const plume::testing::Raster& a, const plume::testing::Raster& b) {
  const auto dark = [](const plume::testing::Raster& r, int x, int y) {
    const std::size_t i = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(r.width) + static_cast<std::size_t>(x));
    return r.rgb[i] + r.rgb[i + 1] + r.rgb[i + 2] < 3 * 128;
  };
  const auto both = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < a.width && y < a.height && dark(a, x, y) && dark(b, x, y);
  };
  Difference d;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      d.dark += dark(a, x, y);
      if (dark(a, x, y) == dark(b, x, y)) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) edge = edge || both(x + dx, y + dy);
      }
      ++(edge ? d.edge : d.beyond);
    }
  }
  return d;
}

TEST(SectionThinning, ThinnedWiggleAndFillCoverThePixelsOfEverySample) {
  PLUME_REQUIRE_GHOSTSCRIPT();
  const std::string sac = dense_sac();
  for (const bool fill : {false, true}) {
    SCOPED_TRACE(fill ? "filled" : "wiggle");
    const auto at = [&](const char* resolution) {
      std::vector<std::string> args = {sac, "--resolution", resolution, "--scale", "1"};
      if (fill) args.push_back("--fill");
      return section_of(args);
    };
    const SectionRun thinned = at("300");
    const SectionRun every = at("0");
    ASSERT_TRUE(succeeded(thinned));
    ASSERT_TRUE(succeeded(every));
    ASSERT_LT(thinned.document.size() * 5, every.document.size());
    plume::testing::Raster a, b;
    for (auto [run, raster] : {std::pair{&every, &a}, std::pair{&thinned, &b}}) {
      const std::string path = fresh_path("dense.eps");
      std::ofstream(path) << run->document;
      ASSERT_TRUE(plume::testing::rasterize(path, 300.0, *raster));
    }
    ASSERT_TRUE(a.width == b.width && a.height == b.height && a.rgb.size() == b.rgb.size());
    const Difference d = difference(a, b);
    EXPECT_GT(d.dark, 100'000u);
    EXPECT_EQ(d.beyond, 0u);
    EXPECT_LT(d.edge, d.dark / 20) << d.edge << " of " << d.dark << " dark pixels differ on an edge";
  }
}

// ---- time options ----

TEST(SectionTime, WindowKeepsTheSamplesInsideIt) {
  const auto files = sac_files(three_traces());
  std::vector<std::string> args = files;
  args.insert(args.end(), {"--window", "1", "2"});
  const SectionRun run = section_of(args);
  ASSERT_TRUE(succeeded(run));
  const auto w = polylines(run.document, 17, 17);
  ASSERT_EQ(w.size(), 3u);
  for (const auto& p : w) EXPECT_EQ(p.size(), 17u);  // 1.0, 1.0625, ..., 2.0 seconds
  const SectionRun whole = section_of(files);
  const auto ww = wiggles(whole);
  ASSERT_EQ(ww.size(), 3u);
  // The window's axis is wider per second: samples stand further apart.
  EXPECT_GT(w[0][1].x - w[0][0].x, ww[0][1].x - ww[0][0].x);
}

TEST(SectionTime, ReduceShiftsEachTraceByItsDistanceOverTheVelocity) {
  const auto files = sac_files(three_traces(), {100, 200, 300});
  std::vector<std::string> args = files;
  args.insert(args.end(), {"--reduce", "50"});
  const SectionRun run = section_of(args);
  ASSERT_TRUE(succeeded(run));
  const auto w = wiggles(run);
  ASSERT_EQ(w.size(), 3u);
  const double dx = w[0][1].x - w[0][0].x;  // one sample interval on the page
  // 100 km at 50 km/s is 2 s, or 32 samples of 0.0625 s.
  EXPECT_NEAR((w[0][0].x - w[1][0].x) / dx, 32.0, 0.01);
  EXPECT_NEAR((w[1][0].x - w[2][0].x) / dx, 32.0, 0.01);
  const SectionRun plain = section_of(files);
  const auto wp = wiggles(plain);
  EXPECT_NEAR(wp[0][0].x, wp[1][0].x, 1e-3);
}

TEST(SectionTime, MiniseedGapsAreDrawnAsGaps) {
  MiniseedSegment a;
  a.samples = test_wavelet(200, 1);
  MiniseedSegment joined = a;
  joined.start_seconds = a.start_seconds + 200 / a.sample_rate;
  MiniseedSegment gapped = a;
  gapped.start_seconds = a.start_seconds + 210 / a.sample_rate;  // ten samples missing
  for (const bool gap : {false, true}) {
    auto bytes = miniseed_bytes(a);
    const auto b = miniseed_bytes(gap ? gapped : joined);
    bytes.insert(bytes.end(), b.begin(), b.end());
    const std::string path = fresh_path("gap.mseed");
    write_bytes(path, bytes);
    const SectionRun run = section_of({path});
    ASSERT_TRUE(succeeded(run));
    // Contiguous records are one polyline; a gap leaves two that do not meet.
    const auto pieces = polylines(run.document, 20);
    ASSERT_EQ(pieces.size(), gap ? 2u : 1u);
    if (!gap) {
      EXPECT_EQ(pieces[0].size(), 400u);
    }
    bool continued = !gap;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
      const Motion& end = pieces[i - 1].back();
      const Motion& start = pieces[i].front();
      continued = continued || (std::fabs(end.x - start.x) < 1e-3 && std::fabs(end.y - start.y) < 1e-3);
    }
    EXPECT_EQ(continued, !gap) << (gap ? "a gap was bridged" : "contiguous records were split");
  }
}

// ---- labels, title, output ----

TEST(SectionText, TitleIsSetInHelveticaWithItsParenthesesEscaped) {
  auto args = sac_files(three_traces());
  args.insert(args.end(), {"--title", "Shot (1) \\ test"});
  const SectionRun run = section_of(args);
  ASSERT_TRUE(succeeded(run));
  EXPECT_NE(run.document.find(" (Shot \\(1\\) \\\\ test) show"), std::string::npos) << run.document.substr(0, 0);
  const SectionRun untitled = section_of(sac_files(three_traces()));
  EXPECT_EQ(untitled.document.find(" hV"), std::string::npos);  // the title alone is bold
}

TEST(SectionText, StationLabelsAreDrawnBesideTheirTraces) {
  auto labelled = [](const std::string& station) {
    SacTrace s;
    s.delta = static_cast<float>(kInterval);
    s.samples = test_wavelet(kSamples, 1);
    s.kstnm = station;
    s.kcmpnm = "BHZ";
    const std::string path = fresh_path("l.sac");
    write_bytes(path, sac_bytes(s, true));
    return section_of({path});
  };
  const SectionRun a = labelled("ANMO");
  const SectionRun b = labelled("COLA");
  ASSERT_TRUE(succeeded(a));
  ASSERT_TRUE(succeeded(b));
  EXPECT_NE(a.document, b.document);
  // Only the label strokes differ: the wiggle is the same.
  EXPECT_EQ(wiggles(a), wiggles(b));
}

TEST(SectionOutput, DefaultNameHelpAndVersion) {
  const auto files = sac_files(three_traces());
  const std::string dir = fresh_path("cwd");
  std::filesystem::create_directory(dir);
  const std::string command = "cd '" + dir + "' && '" + std::string(std::getenv("PLUME_BINARY_DIR")) +
                              "/section/plume-section' '" + files[0] + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(std::filesystem::exists(dir + "/section.eps"));

  const SectionRun help = run_section({"--help"}, "");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: plume-section"), std::string::npos);
  EXPECT_NE(help.out.find("--normalize"), std::string::npos);
  const SectionRun version = run_section({"--version"}, "");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("plume-section ", 0), 0u);
}

TEST(SectionOutput, AnUnwritableDocumentExitsOne) {
  const SectionRun run = run_section(sac_files(three_traces()), "/nonexistent-directory/section.eps");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("/nonexistent-directory/section.eps"), std::string::npos) << run.err;
}

// The document's format follows -o's extension, as for every unit connected
// to a path; each is a sound file of its kind.
TEST(SectionOutput, PdfSvgAndPngFollowTheExtension) {
  const auto files = sac_files(three_traces());
  std::vector<std::string> args = files;
  args.insert(args.end(), {"--fill", "--title", "Three traces"});
  const SectionRun pdf = run_section(args, fresh_path("section.PDF"));
  ASSERT_TRUE(succeeded(pdf));
  EXPECT_EQ(pdf.document.rfind("%PDF-", 0), 0u);
  if (std::system("command -v qpdf >/dev/null 2>&1") == 0) {
    const std::string pdf_path = fresh_path("check.pdf");
    std::ofstream(pdf_path, std::ios::binary) << pdf.document;
    EXPECT_EQ(std::system(("qpdf --check '" + pdf_path + "' >/dev/null").c_str()), 0);
  }
  const SectionRun png = run_section(args, fresh_path("section.png"));
  ASSERT_TRUE(succeeded(png));
  EXPECT_EQ(png.document.rfind("\x89PNG\r\n", 0), 0u);
  const SectionRun svg = run_section(args, fresh_path("section.svg"));
  ASSERT_TRUE(succeeded(svg));
  EXPECT_NE(svg.document.find("<svg"), std::string::npos);
  EXPECT_EQ(svg.document.find("%!PS"), std::string::npos);
}

// ---- bad input ----

struct Refusal {
  std::string what;
  std::vector<std::string> words;  // each must be in the message
};

void expect_refused(const std::vector<std::string>& args, const Refusal& r) {
  const std::string output = fresh_path("refused.eps");
  std::ofstream(output) << "earlier document\n";
  const SectionRun run = run_section(args, output);
  EXPECT_EQ(run.status, 2) << r.what << ": " << run.err;
  EXPECT_EQ(run.document, "earlier document\n") << r.what << ": the earlier output was touched";
  for (const std::string& word : r.words) {
    EXPECT_NE(run.err.find(word), std::string::npos) << r.what << ": \"" << word << "\" missing from: " << run.err;
  }
}

std::string sac_with(const std::function<void(SacTrace&)>& change) {
  SacTrace s;
  s.samples = test_wavelet(kSamples, 1);
  change(s);
  const std::string path = fresh_path("bad.sac");
  write_bytes(path, sac_bytes(s, false));
  return path;
}

TEST(SectionBadInput, SacHeaderValuesOutOfRange) {
  std::string p = sac_with([](SacTrace& s) { s.npts_override = 1000; });
  expect_refused({p}, {"npts larger than the file", {p, "npts", "1000 samples"}});
  p = sac_with([](SacTrace& s) { s.delta = 0; });
  expect_refused({p}, {"delta 0", {p, "delta"}});
  p = sac_with([](SacTrace& s) { s.delta = -12345.0f; });
  expect_refused({p}, {"delta unset", {p, "delta"}});
  p = sac_with([](SacTrace& s) { s.iftype = 2; });
  expect_refused({p}, {"spectral file", {p, "iftype"}});
  p = sac_with([](SacTrace& s) { s.leven = 0; });
  expect_refused({p}, {"uneven", {p, "leven"}});
  p = sac_with([](SacTrace& s) { s.npts_override = 0x7fffffff; });
  expect_refused({p}, {"huge npts", {p, "npts"}});
  p = sac_with([](SacTrace& s) { s.samples[5] = std::nanf(""); });
  expect_refused({p}, {"NaN sample", {p, "trace 1", "sample 6"}});
}

TEST(SectionBadInput, SegyHeaderValuesOutOfRangeAndTruncation) {
  if (!segyio_available()) GTEST_SKIP() << "python3-segyio is not installed";
  const std::string good = segy_file(three_traces());
  const auto bytes = read_bytes(good);
  auto patched = [&](std::size_t at, std::vector<unsigned char> value) {
    auto b = bytes;
    std::copy(value.begin(), value.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    const std::string p = fresh_path("bad.sgy");
    write_bytes(p, b);
    return p;
  };
  std::string p = patched(3224, {0, 4});
  expect_refused({p}, {"format 4", {p, "sample format", "code 4"}});
  p = patched(3220, {0, 0});
  expect_refused({p}, {"no samples", {p, "samples per trace"}});
  p = patched(3220, {0x7f, 0xff});
  expect_refused({p}, {"more samples than the file", {p, "truncated"}});
  p = patched(3216, {0, 0});
  auto b = read_bytes(p);
  for (std::size_t t = 0; t < 3; ++t) {
    const std::size_t at = 3600 + t * (240 + 4 * kSamples) + 116;
    b[at] = 0;
    b[at + 1] = 0;
  }
  write_bytes(p, b);
  expect_refused({p}, {"no interval", {p, "trace 1", "sample interval"}});
  auto cut = bytes;
  cut.resize(cut.size() - 10);
  p = fresh_path("cut.sgy");
  write_bytes(p, cut);
  expect_refused({p}, {"last trace cut", {p, "trace 3", "truncated"}});
}

TEST(SectionBadInput, MiniseedTruncatedAndCorrupted) {
  MiniseedSegment s;
  s.samples = test_wavelet(300, 100);
  auto bytes = miniseed_bytes(s);
  ASSERT_GE(bytes.size(), 1024u);
  auto cut = bytes;
  cut.resize(700);
  std::string p = fresh_path("cut.mseed");
  write_bytes(p, cut);
  expect_refused({p}, {"cut record", {p, "record 2", "truncated"}});
  auto corrupt = bytes;
  corrupt[512 + 6] = 'X';  // second record: not a data quality code
  p = fresh_path("corrupt.mseed");
  write_bytes(p, corrupt);
  expect_refused({p}, {"bad record header", {p, "record 2"}});
}

TEST(SectionBadInput, FilesFormatsAndOptions) {
  const std::string empty = fresh_path("empty");
  write_bytes(empty, {});
  expect_refused({empty}, {"empty file", {empty, "empty"}});
  const std::string binary = fresh_path("binary");
  write_bytes(binary, {0, 1, 2, 3, 0xff, 0xfe, 0, 0});
  expect_refused({binary}, {"unknown format", {binary, "unknown format"}});
  expect_refused({"/nonexistent/file.sac"}, {"missing file", {"/nonexistent/file.sac", "cannot open"}});
  const std::string text = fresh_path("fort.10");
  std::ofstream(text) << "   0.0625000     0.00000\n    1\n    10.00000     0.00000\n    2\n    1.0000000\n   0.00x0000\n";
  expect_refused({text}, {"bad sample field", {text, "line 6", "columns 1-12"}});
  const auto good = sac_files(three_traces());
  expect_refused({good[0], "--bogus"}, {"unknown option", {"--bogus"}});
  expect_refused({good[0], "--normalize", "max"}, {"bad mode", {"--normalize", "max"}});
  expect_refused({good[0], "--clip", "-1"}, {"negative clip", {"--clip"}});
  expect_refused({good[0], "--window", "2", "1"}, {"reversed window", {"--window"}});
  expect_refused({good[0], "--window", "1"}, {"short window", {"--window"}});
  expect_refused({good[0], "--reduce", "nan"}, {"nan velocity", {"--reduce"}});
  expect_refused({good[0], "--resolution", "0.5"}, {"fractional resolution", {"--resolution", "at least 1"}});
  expect_refused({good[0], "--resolution", "-600"}, {"negative resolution", {"--resolution"}});
  expect_refused({}, {"no inputs", {"no input files"}});
  expect_refused({good[0], good[1], "--reduce", "8"}, {"reduce without distances", {"--reduce", "distance"}});
}

}  // namespace

// ---- documentation ----

namespace {

std::string slurp_source(const std::string& relative) {
  std::ifstream in(std::string(std::getenv("PLUME_SOURCE_DIR")) + "/" + relative);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SectionDocs, EveryOptionOfTheUsageIsDocumentedAndTheManualPageFormats) {
  const SectionRun help = run_section({"--help"}, "");
  ASSERT_EQ(help.status, 0);
  const std::string page = slurp_source("docs/plume-section.md");
  const std::string manual = slurp_source("docs/plume-section.1");
  ASSERT_FALSE(page.empty());
  ASSERT_FALSE(manual.empty());
  std::istringstream lines(help.out);
  std::string line;
  int options = 0;
  while (std::getline(lines, line)) {
    const auto start = line.find_first_not_of(' ');
    if (start == std::string::npos || line[start] != '-') continue;
    const std::string option = line.substr(start, line.find(' ', start) - start);
    ++options;
    EXPECT_NE(page.find("`" + option), std::string::npos) << option << " is not in docs/plume-section.md";
    std::string escaped;  // the manual page writes every hyphen as \-
    for (const char c : option) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(escaped), std::string::npos) << option << " is not in docs/plume-section.1";
  }
  EXPECT_GE(options, 10);
  if (std::system("command -v groff > /dev/null 2>&1") != 0) GTEST_SKIP() << "groff not installed";
  const std::string warnings = fresh_path("man.warnings");
  const std::string command = "groff -man -Tutf8 -ww '" + std::string(std::getenv("PLUME_SOURCE_DIR")) +
                              "/docs/plume-section.1' > /dev/null 2> '" + warnings + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(warnings);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "");
}

}  // namespace
