// plume-section's drawing end to end, from SAC files of the tests' own
// writer: axes that span the data whatever its numbers, numbered in round
// steps with the decimals they need, text in Helvetica, wiggles of a
// visible height that keep off their neighbours, processing before the
// peaks, and nothing drawn (or an earlier document kept) when the program
// cannot draw what it was asked.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "section/fixtures.hpp"

namespace {

using namespace section_test;

constexpr double kPointsPerCm = 72 / 2.54;
constexpr double kFrameWidth = 15 * kPointsPerCm;

struct Text {
  double x, y;  // page points of the baseline's start
  std::string font;
  std::string text;
};

// Every xsymbol text of a document: the move before it, its font
// procedure and its string (escapes undone).
std::vector<Text> texts(const std::string& document) {
  std::vector<Text> all;
  std::istringstream in(document);
  std::string line;
  double x = 0, y = 0;
  std::string font;
  while (std::getline(in, line)) {
    if (line.size() > 3 && line.compare(line.size() - 3, 3, " pQ") == 0) {
      std::sscanf(line.c_str(), "%lf %lf", &x, &y);
    } else if (line.size() > 3 && line.compare(line.size() - 3, 3, " pM") == 0) {
      std::sscanf(line.c_str(), "%lf %lf", &x, &y);
    } else if (line.size() > 3 && (line.find(" hR") != std::string::npos || line.find(" hV") != std::string::npos)) {
      font = line.substr(line.find_last_of(' ') + 1);
    } else if (line.rfind(" (", 0) == 0 && line.size() > 7 && line.compare(line.size() - 6, 6, ") show") == 0) {
      std::string text;
      const std::string body = line.substr(2, line.size() - 8);
      for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\\' && i + 1 < body.size()) ++i;
        text += body[i];
      }
      all.push_back({x, y, font, text});
    }
  }
  return all;
}

std::string sac_file(const std::vector<float>& samples, double delta, double b = 0, float dist = -12345.0f,
                     const std::string& station = "-12345", const std::string& channel = "-12345") {
  SacTrace s;
  s.delta = static_cast<float>(delta);
  s.footer_delta = delta;
  s.b = static_cast<float>(b);
  s.footer_b = b;
  s.dist = dist;
  s.kstnm = station;
  s.kcmpnm = channel;
  s.samples = samples;
  const std::string path = fresh_path("d.sac");
  write_bytes(path, sac_bytes(s, true));
  return path;
}

SectionRun drawn(std::vector<std::string> args) { return run_section(args, fresh_path("drawing.eps")); }

testing::AssertionResult succeeded(const SectionRun& run) {
  if (run.status == 0) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "exit " << run.status << ": " << run.err;
}

// The points of the polylines whose x grows: a trace's wiggle (split
// where the plotter restarts its path).
std::vector<Motion> longest_wiggle(const SectionRun& run) {
  std::vector<Motion> all;
  for (auto& p : polylines(run.document, 10)) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Whole wiggles of `n` points: pieces rejoined where the plotter restarted
// its path (the next piece starts where the last one ended).
std::vector<std::vector<Motion>> whole_wiggles(const SectionRun& run, std::size_t n) {
  std::vector<std::vector<Motion>> joined;
  for (const auto& p : polylines(run.document, 2)) {
    const bool continues = !joined.empty() && std::fabs(joined.back().back().x - p.front().x) < 1e-3 &&
                           std::fabs(joined.back().back().y - p.front().y) < 1e-3;
    if (continues) {
      joined.back().insert(joined.back().end(), p.begin() + 1, p.end());
    } else {
      joined.push_back(p);
    }
  }
  std::erase_if(joined, [n](const auto& w) { return w.size() != n; });
  return joined;
}

// Helvetica's advance of digits, points and minus signs at the numbers' size.
double number_width(const std::string& text) {
  double units = 0;
  for (const char c : text) units += c == '.' ? 278 : c == '-' ? 333 : c == ':' ? 278 : 556;
  return units / 1000 * 11.906;
}

double extent(const std::vector<Motion>& w, double Motion::*axis) {
  double low = 1e30, high = -1e30;
  for (const Motion& m : w) {
    low = std::min(low, m.*axis);
    high = std::max(high, m.*axis);
  }
  return high - low;
}

// Whether `step` is 1, 2 or 5 times a power of ten.
bool round_step(double step) {
  const double decade = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  const double m = step / decade;
  return std::fabs(m - 1) < 1e-6 || std::fabs(m - 2) < 1e-6 || std::fabs(m - 5) < 1e-6;
}

// The numbers along the bottom (the time axis): Helvetica texts on the
// lowest row that holds several.
std::vector<Text> bottom_numbers(const std::vector<Text>& all) {
  std::map<long, std::vector<Text>> rows;
  for (const Text& t : all) {
    if (t.font == "hR") rows[std::lround(t.y * 10)].push_back(t);
  }
  for (auto& [y, row] : rows) {
    if (row.size() >= 3) return row;
  }
  return {};
}

// Numbered ticks: evenly spaced on the page and in value, a round step,
// the decimals the step needs and no more.
void expect_round_numbers(const std::vector<Text>& numbers, double Text::*along) {
  ASSERT_GE(numbers.size(), 3u);
  std::vector<double> values;
  for (const Text& t : numbers) {
    char* end = nullptr;
    values.push_back(std::strtod(t.text.c_str(), &end));
    EXPECT_EQ(*end, '\0') << "\"" << t.text << "\" is not a plain number";
  }
  const double step = values[1] - values[0];
  EXPECT_TRUE(round_step(std::fabs(step))) << "step " << step;
  const bool whole = std::fabs(step - std::round(step)) < 1e-9;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (whole) {
      EXPECT_EQ(numbers[i].text.find('.'), std::string::npos) << numbers[i].text;
    }
    if (i == 0) continue;
    EXPECT_NEAR(values[i] - values[i - 1], step, 1e-9 * std::fabs(values[i]) + 1e-9) << numbers[i].text;
    // Centred below their ticks along x, beside them along y.
    const auto centre = [&](const Text& t) { return t.*along + (along == &Text::x ? number_width(t.text) / 2 : 0); };
    EXPECT_NEAR(centre(numbers[i]) - centre(numbers[i - 1]), centre(numbers[1]) - centre(numbers[0]), 0.6);
  }
}

std::vector<float> noise_with_arrival(std::size_t n, float offset = 0) {
  std::vector<float> s(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(n);
    s[i] = offset + static_cast<float>(std::sin(37.0 * t * t * 100) * (t > 0.3 ? std::exp(-(t - 0.3) * 8) : 0.05));
  }
  return s;
}

// ---- axes ----

TEST(SectionAxes, TheTimeAxisSpansTheDataAtFullWidthWhateverItsNumbers) {
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"cut from continuous data, b = 54400 s", sac_file(noise_with_arrival(33000), 0.01, 54400), {}},
      {"--window 1000 1100", sac_file(noise_with_arrival(4000), 0.5), {"--window", "1000", "1100"}},
      {"--reduce 8 --window -100 300", sac_file(noise_with_arrival(4000), 0.1, 0, 800), {"--reduce", "8", "--window", "-100", "300"}},
      {"b = -250 s", sac_file(noise_with_arrival(3000), 0.1, -250), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args{c.file};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const SectionRun run = drawn(args);
    ASSERT_TRUE(succeeded(run));
    const auto w = longest_wiggle(run);
    EXPECT_GT(extent(w, &Motion::x), 0.97 * kFrameWidth);
    expect_round_numbers(bottom_numbers(texts(run.document)), &Text::x);
  }
}

TEST(SectionAxes, DistancesAreNumberedInRoundStepsWithoutAFactor) {
  std::vector<std::string> files;
  for (const float dist : {3342.0f, 5200.0f, 8900.0f, 12000.0f}) {
    files.push_back(sac_file(noise_with_arrival(2000), 0.9, 0, dist, "ST", "BHZ"));
  }
  const SectionRun run = drawn(files);
  ASSERT_TRUE(succeeded(run));
  const auto all = texts(run.document);
  // Left of the frame and right-aligned: the distance numbers.
  const auto time = bottom_numbers(all);
  ASSERT_FALSE(time.empty());
  std::vector<Text> left;
  for (const Text& t : all) {
    char* end = nullptr;
    std::strtod(t.text.c_str(), &end);
    const bool number = !t.text.empty() && *end == '\0';
    if (number && t.font == "hR" && t.x < time.front().x && std::fabs(t.y - time.front().y) > 1) left.push_back(t);
  }
  std::sort(left.begin(), left.end(), [](const Text& a, const Text& b) { return a.y < b.y; });
  expect_round_numbers(left, &Text::y);
  for (const Text& t : all) EXPECT_EQ(t.text.find("x10"), std::string::npos) << t.text;
  // The axis titles name the quantities and units.
  const auto has = [&](const std::string& s) {
    return std::any_of(all.begin(), all.end(), [&](const Text& t) { return t.text == s; });
  };
  EXPECT_TRUE(has("Time (s)"));
  EXPECT_TRUE(has("Distance (km)"));
}

// ---- wiggle height ----

TEST(SectionAmplitude, ASingleFarTraceIsDrawnAVisibleHeight) {
  const SectionRun run = drawn({sac_file(noise_with_arrival(2000), 0.5, 0, 3342)});
  ASSERT_TRUE(succeeded(run));
  const auto w = longest_wiggle(run);
  EXPECT_GT(extent(w, &Motion::y), 1.5 * kPointsPerCm);
  EXPECT_LT(extent(w, &Motion::y), 12 * kPointsPerCm);
}

TEST(SectionAmplitude, NeighboursOnAnUnevenNetworkKeepApartAndSizeSetsTheHeight) {
  std::vector<std::string> files;
  const float dists[] = {100, 150, 200, 250, 300, 1000, 1050};  // a 700 km gap
  for (const float d : dists) files.push_back(sac_file(noise_with_arrival(500), 0.1, 0, d));
  const SectionRun run = drawn(files);
  ASSERT_TRUE(succeeded(run));
  auto w = whole_wiggles(run, 500);
  ASSERT_EQ(w.size(), 7u);
  std::sort(w.begin(), w.end(), [](const auto& a, const auto& b) { return a.front().y < b.front().y; });
  const auto high = [](const std::vector<Motion>& p) {
    return std::max_element(p.begin(), p.end(), [](const Motion& a, const Motion& b) { return a.y < b.y; })->y;
  };
  const auto low = [](const std::vector<Motion>& p) {
    return std::min_element(p.begin(), p.end(), [](const Motion& a, const Motion& b) { return a.y < b.y; })->y;
  };
  for (std::size_t i = 1; i < w.size(); ++i) {
    EXPECT_LT(high(w[i - 1]), low(w[i]) + 0.5) << "trace " << i << " reaches into the next";
  }
  // The close traces are drawn tall enough to read.
  EXPECT_GT(high(w[0]) - low(w[0]), 0.5 * kPointsPerCm);

  std::vector<std::string> sized_files;
  for (const float d : dists) sized_files.push_back(sac_file(test_wavelet(500, d), 0.1, 0, d));
  sized_files.insert(sized_files.end(), {"--size", "0.8"});
  const SectionRun sized = drawn(sized_files);
  ASSERT_TRUE(succeeded(sized));
  const auto ws = whole_wiggles(sized, 500);
  ASSERT_EQ(ws.size(), 7u);
  for (const auto& p : ws) {
    const double base = p.front().y;  // the first sample lies on the baseline
    EXPECT_NEAR(std::max(high(p) - base, base - low(p)), 0.8 * kPointsPerCm, 0.01);
  }
}

TEST(SectionAmplitude, ATinyButNonZeroTraceIsNormalisedAndDrawn) {
  const auto samples = test_wavelet(64, 1.0f);
  std::vector<float> tiny;
  for (const float v : samples) tiny.push_back(v * 1e-38f);
  const SectionRun normal = drawn({sac_file(samples, 0.0625)});
  const SectionRun small = drawn({sac_file(tiny, 0.0625)});
  ASSERT_TRUE(succeeded(normal));
  ASSERT_TRUE(succeeded(small));
  const auto a = polylines(normal.document, 64, 64);
  const auto b = polylines(small.document, 64, 64);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  for (std::size_t i = 0; i < 64; ++i) EXPECT_NEAR(a[0][i].y, b[0][i].y, 0.002);
}

// ---- processing ----

TEST(SectionProcessing, AnOffsetIsRemovedBeforeTheTraceIsScaled) {
  const auto wavelet = test_wavelet(64, 1000.0f);  // its mean is zero
  std::vector<float> offset;
  for (const float v : wavelet) offset.push_back(v - 50000.0f);
  const SectionRun plain = drawn({sac_file(wavelet, 0.0625, 0, 100), sac_file(wavelet, 0.0625, 0, 200)});
  const SectionRun raw = drawn({sac_file(offset, 0.0625, 0, 100), sac_file(wavelet, 0.0625, 0, 200)});
  ASSERT_TRUE(succeeded(plain));
  ASSERT_TRUE(succeeded(raw));
  const auto a = polylines(plain.document, 64, 64);
  const auto b = polylines(raw.document, 64, 64);
  ASSERT_EQ(a.size(), 2u);
  ASSERT_EQ(b.size(), 2u);
  for (std::size_t t = 0; t < 2; ++t) {
    for (std::size_t i = 0; i < 64; ++i) EXPECT_NEAR(a[t][i].y, b[t][i].y, 0.01) << "trace " << t << " sample " << i;
  }
}

// ---- clock time ----

TEST(SectionTime, AbsoluteTimeLabelsTheUtcClockAcrossMidnight) {
  MiniseedSegment before;
  const double midnight = 1.7e9 - std::fmod(1.7e9, 86400.0) + 86400;
  before.start_seconds = midnight - 90;
  before.sample_rate = 2;
  before.samples = test_wavelet(360, 1.0f);  // three minutes
  MiniseedSegment other = before;
  other.station = "ST02";
  other.start_seconds = midnight - 30;
  auto bytes = miniseed_bytes(before);
  const auto more = miniseed_bytes(other);
  bytes.insert(bytes.end(), more.begin(), more.end());
  const std::string path = fresh_path("midnight.mseed");
  write_bytes(path, bytes);
  const SectionRun run = drawn({path, "--time", "absolute"});
  ASSERT_TRUE(succeeded(run));
  const auto numbers = bottom_numbers(texts(run.document));
  ASSERT_GE(numbers.size(), 3u);
  std::vector<std::string> labels;
  for (const Text& t : numbers) labels.push_back(t.text);
  // Four minutes on the axis: whole minutes, HH:MM, through midnight.
  EXPECT_EQ(labels, (std::vector<std::string>{"23:59", "00:00", "00:01", "00:02"}));
  const auto all = texts(run.document);
  EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const Text& t) { return t.text.rfind("UTC time from ", 0) == 0; }));
}

// ---- text ----

TEST(SectionText, LabelsAndNumbersAreSetInHelveticaAndTheTitleShowsABackslash) {
  const SectionRun run = drawn({sac_file(test_wavelet(64, 1), 0.0625, 0, -12345.0f, "ANMO", "BHZ"), "--title",
                                "a\\b (c)"});
  ASSERT_TRUE(succeeded(run));
  const auto all = texts(run.document);
  const auto label = std::find_if(all.begin(), all.end(), [](const Text& t) { return t.text == "ANMO.BHZ"; });
  ASSERT_NE(label, all.end());
  EXPECT_EQ(label->font, "hR");
  EXPECT_GT(label->x, 17 * kPointsPerCm);  // right of the frame
  const auto title = std::find_if(all.begin(), all.end(), [](const Text& t) { return t.font == "hV"; });
  ASSERT_NE(title, all.end());
  EXPECT_EQ(title->text, "a\\b (c)");
}

TEST(SectionText, TitlesThatCannotBeDrawnAreRefused) {
  const std::string file = sac_file(test_wavelet(64, 1), 0.0625);
  for (const std::string& title : {std::string(81, 'x'), std::string("caf\xc3\xa9"), std::string("tab\there")}) {
    const std::string output = fresh_path("refused.eps");
    const SectionRun run = run_section({file, "--title", title}, output);
    EXPECT_EQ(run.status, 2) << title;
    EXPECT_NE(run.err.find("--title"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(output));
  }
  EXPECT_TRUE(succeeded(drawn({file, "--title", std::string(80, 'x')})));
}

TEST(SectionProcessing, AFilterTheSamplingCannotCarryIsRefusedBeforeDrawing) {
  const std::string file = sac_file(test_wavelet(64, 1), 0.0625);  // Nyquist 8 Hz
  const std::string output = fresh_path("unfiltered.eps");
  const SectionRun run = run_section({file, "--filter", "lp", "10"}, output);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Nyquist"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(output));
}

// ---- nothing to draw ----

TEST(SectionBadInput, NothingToDrawIsAnErrorAndATraceLeftOutANote) {
  const std::string early = sac_file(test_wavelet(64, 1), 0.0625, 0, 100, "EARLY", "BHZ");
  const std::string late = sac_file(test_wavelet(64, 1), 0.0625, 100, 200, "LATE", "BHZ");
  const std::string output = fresh_path("nothing.eps");
  const SectionRun outside = run_section({early, "--window", "50", "60"}, output);
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.err.find("--window"), std::string::npos) << outside.err;
  EXPECT_FALSE(std::filesystem::exists(output));

  const SectionRun empty = run_section({sac_file({}, 0.0625)}, output);
  EXPECT_NE(empty.status, 0);
  EXPECT_FALSE(std::filesystem::exists(output));

  const SectionRun one = drawn({early, late, "--window", "99", "110"});
  ASSERT_TRUE(succeeded(one));
  EXPECT_NE(one.err.find("EARLY"), std::string::npos) << one.err;
  EXPECT_NE(one.err.find("left out"), std::string::npos) << one.err;
}

// ---- writing ----

TEST(SectionOutput, AFailedWriteLeavesTheEarlierDocumentAndNothingElse) {
  const std::string dir = fresh_path("written");
  std::filesystem::create_directory(dir);
  const std::string target = dir + "/section.eps";
  std::ofstream(target) << "earlier document\n";
  // Enough samples for a document far beyond a 64 KiB file size limit.
  const std::string big = sac_file(noise_with_arrival(20000), 0.01);
  const std::string command = "trap '' XFSZ; ulimit -f 64; '" + std::string(std::getenv("PLUME_BINARY_DIR")) +
                              "/section/plume-section' '" + big + "' --resolution 0 -o '" + target + "' 2> /dev/null";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << raw;
  std::ifstream in(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "earlier document\n");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1u) << "a temporary file was left behind";

  for (const std::string name : {"section.eps", "section.pdf", "section.svg", "section.png"}) {
    const SectionRun ok = run_section({big}, dir + "/" + name);
    ASSERT_TRUE(succeeded(ok)) << name;
    struct stat st{};
    ASSERT_EQ(stat((dir + "/" + name).c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IRGRP, 0u) << name << " is readable to its owner only";
  }
  files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files += entry.is_regular_file();
  EXPECT_EQ(files, 4u);
}

}  // namespace
