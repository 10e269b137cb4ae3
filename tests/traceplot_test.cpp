// The traceplot program end to end: its binary runs in a directory of its
// own with the run parameters on standard input and a trace file fort.10,
// and writes fort.8.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/document.hpp"

namespace {

using plume::testing::read_file;
using plume::testing::split_lines;

const std::vector<std::string>& kHead = plume::testing::first_portrait_head();
constexpr std::size_t kHeadLines = 40;

std::vector<std::string> document(std::vector<std::string> body, const std::string& bounding_box) {
  std::vector<std::string> lines = kHead;
  lines.insert(lines.end(), body.begin(), body.end());
  if (!bounding_box.empty()) {
    lines.push_back("stroke");
    lines.push_back("showpage");
    lines.push_back(bounding_box);
  }
  return lines;
}

std::string right(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// A trace file in the fixed-column layout; values are written as given.
class TraceFile {
 public:
  TraceFile(const std::string& sample_interval, const std::string& trace_count) {
    line(right(sample_interval, 12) + right("0.0", 12));
    line(right(trace_count, 5));
  }
  TraceFile& header(const std::string& position, const std::string& count, const std::string& amplitude) {
    line(right(position, 12) + right("0.0", 12));
    line(right(count, 5));
    line(right(amplitude, 15));
    return *this;
  }
  // A whole trace: header and sample records, six samples to a record.
  TraceFile& trace(const std::string& position, const std::vector<std::string>& samples,
                   const std::string& amplitude = "1.0") {
    header(position, std::to_string(samples.size()), amplitude);
    std::size_t k = 0;
    do {
      std::string record;
      for (std::size_t n = 0; n < 6 && k < samples.size(); ++n, ++k) record += right(samples[k], 12);
      line(record);
    } while (k < samples.size());
    return *this;
  }
  TraceFile& line(const std::string& text) {
    text_ += text + "\n";
    return *this;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
  std::string dir;
  std::string fort8() const { return dir + "/fort.8"; }
  bool has_document() const { return std::filesystem::exists(fort8()); }
  std::vector<std::string> lines() const { return split_lines(read_file(fort8())); }
};

std::string traceplot_binary() {
  const char* dir = std::getenv("PLUME_BINARY_DIR");
  return std::string(dir != nullptr ? dir : ".") + "/traceplot";
}

// Every complete document must render in Ghostscript.
void expect_renders(const ProgramRun& run) {
  if (plume::testing::ghostscript().empty()) return;
  std::string output;
  EXPECT_TRUE(plume::testing::renders_cleanly(run.fort8(), &output)) << output;
}

// Runs traceplot in a fresh directory; `prepare` may add files to it first.
// A run that ends with status 0 has written a complete document: it is
// rendered with Ghostscript.
ProgramRun run_traceplot(const std::string& input, const std::string* trace_file,
                         const std::string& arguments = "",
                         const std::function<void(const std::string&)>& prepare = {}) {
  static int serial = 0;
  ProgramRun run;
  run.dir = plume::testing::temp_path("run" + std::to_string(++serial));
  std::filesystem::create_directories(run.dir);
  std::ofstream(run.dir + "/stdin.txt", std::ios::binary) << input;
  if (trace_file != nullptr) std::ofstream(run.dir + "/fort.10", std::ios::binary) << *trace_file;
  if (prepare) prepare(run.dir);
  const std::string command = "cd '" + run.dir + "' && '" + traceplot_binary() + "' " + arguments +
                              " < stdin.txt > stdout.txt 2> stderr.txt";
  const int status = std::system(command.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = read_file(run.dir + "/stdout.txt");
  run.err = read_file(run.dir + "/stderr.txt");
  if (run.status == 0) expect_renders(run);
  return run;
}

ProgramRun run_traceplot(const std::string& input, const std::string& trace_file,
                         const std::string& arguments = "") {
  return run_traceplot(input, &trace_file, arguments);
}

// The pen motion lines of the drawing (after the head and initial pen).
std::vector<std::string> motions(const ProgramRun& run) {
  std::vector<std::string> out;
  const auto lines = run.lines();
  for (std::size_t i = kHeadLines; i < lines.size(); ++i) {
    const auto& l = lines[i];
    if (l.size() == 25 && (l.ends_with(" pQ") || l.ends_with(" pL") || l.ends_with(" pM"))) out.push_back(l);
  }
  return out;
}

// The page y column of the moves that start the traces.
std::vector<std::string> trace_starts_y(const ProgramRun& run) {
  std::vector<std::string> ys;
  for (const auto& m : motions(run)) {
    if (m.ends_with(" pQ") || m.ends_with(" pM")) ys.push_back(m.substr(11, 11));
  }
  return ys;
}

const std::string kWorkedInput = "5.0\n0.5\n1.0\n0.1\n";
const std::string kWorkedFile = TraceFile("0.5", "2")
                                    .trace("10.0", {"0.0", "1.0", "-1.0"}, "1.0")
                                    .trace("20.0", {"0.5", "0.25"}, "2.0")
                                    .text();
const std::vector<std::string> kWorkedDocument = document(
    {
        "     56.693    141.732 pQ",
        "     70.866    155.906 pL",
        "     85.039    127.559 pL",
        "     56.693    120.472 pQ",
        "     70.866    116.929 pL",
    },
    "%%BoundingBox:   56  116   85  155");

TEST(Traceplot, WorkedExampleWritesTheWholeDocument) {
  const ProgramRun run = run_traceplot(kWorkedInput, kWorkedFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.lines(), kWorkedDocument);
  EXPECT_EQ(read_file(run.fort8()).back(), '\n');
}

TEST(Traceplot, ArgumentsAreIgnoredAndAnEarlierFort8IsReplaced) {
  std::string crlf;
  for (const char c : kWorkedFile) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const ProgramRun run = run_traceplot(
      kWorkedInput, &crlf, "-o elsewhere.eps --help",
      [](const std::string& dir) { std::ofstream(dir + "/fort.8") << std::string(100000, 'x'); });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.lines(), kWorkedDocument);  // a CRLF trace file reads as the LF one
  EXPECT_FALSE(std::filesystem::exists(run.dir + "/elsewhere.eps"));
}

TEST(Traceplot, NoTracesGiveAnEmptyPlotAndReadNoTraceRecord) {
  for (const char* count : {"0", "-3"}) {
    const std::string file = TraceFile("0.5", count).line("these lines are not trace records").text();
    const ProgramRun run = run_traceplot(kWorkedInput, file);
    EXPECT_EQ(run.status, 0) << count;
    EXPECT_EQ(run.err, "") << count;
    EXPECT_EQ(run.lines(), document({}, "%%BoundingBox:    0    0    0    0")) << count;
  }
}

TEST(Traceplot, BaselinesStepByPositionOrByTwiceTheAmplitudeScale) {
  auto starts = [](const std::string& input, const std::vector<std::string>& positions) {
    TraceFile file("0.5", std::to_string(positions.size()));
    for (const auto& p : positions) file.trace(p, {"0.0"});
    const ProgramRun run = run_traceplot(input, file.text());
    EXPECT_EQ(run.status, 0) << run.err;
    return trace_starts_y(run);
  };
  // Equal to the first trace's position: down by 2 x |amplitude_scale| each.
  EXPECT_EQ(starts("5\n0.5\n1\n0.1\n", {"0", "0", "0"}),
            (std::vector<std::string>{"    141.732", "    113.386", "     85.039"}));
  // 10, 12, 10: (12 - 10) x 0.5, then the first trace's position again: 2 x 0.5.
  EXPECT_EQ(starts("5\n0.5\n1\n0.5\n", {"10.", "12.", "10."}),
            (std::vector<std::string>{"    141.732", "    113.386", "     85.039"}));
  // A position differing from the first with spacing 0: the same baseline.
  EXPECT_EQ(starts("5\n0.5\n1\n0\n", {"10.", "10.5"}),
            (std::vector<std::string>{"    141.732", "    141.732"}));
  // A single trace hangs from baseline_y as read, whatever its position.
  EXPECT_EQ(starts("5\n0.5\n1\n0.1\n", {"123.4"}), (std::vector<std::string>{"    141.732"}));
  // Decreasing positions move the baselines up.
  EXPECT_EQ(starts("4\n0.5\n1\n0.1\n", {"20.", "10."}),
            (std::vector<std::string>{"    113.386", "    141.732"}));
  // Without a point the last 5 digits are decimals: 1000000 is 10.
  EXPECT_EQ(starts("4\n0.5\n1\n0.1\n", {"2000000", "1000000"}),
            (std::vector<std::string>{"    113.386", "    141.732"}));
}

TEST(Traceplot, TraceWithoutSamplesConsumesOneRecordAndStillLowersTheBaseline) {
  const std::string file = TraceFile("0.5", "2")
                               .header("10.0", "0", "1.0")
                               .line("its one sample record: never read, so never wrong")
                               .trace("20.0", {"0.0"})
                               .text();
  const ProgramRun run = run_traceplot(kWorkedInput, file);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.lines(), document({"     56.693    113.386 pQ"}, "%%BoundingBox:    0    0    0    0"));
}

TEST(Traceplot, NegativeAmplitudeScaleReversesTheSamplesAndWeightsByAmplitude) {
  const std::string file =
      TraceFile("0.5", "2").trace("10.0", {"0.0", "1.0"}, "1.0").trace("10.0", {"0.0", "1.0"}, "2.0").text();
  const ProgramRun run = run_traceplot("5\n-1\n1\n0.1\n", file);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(motions(run), (std::vector<std::string>{
                              "     56.693    141.732 pQ",  // trace 1 at 5
                              "     70.866    113.386 pL",  // 5 - 1
                              "     56.693     85.039 pQ",  // trace 2 at 5 - 2 x |-1|
                              "     70.866     28.346 pL",  // 3 - 2: twice as tall
                          }));
}

TEST(Traceplot, FourNumbersOnTheFirstLineSetOnlyTheFirstParameter) {
  const ProgramRun run = run_traceplot("1 2 3 4\n0.5\n1.0\n0.1\n", kWorkedFile);
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_FALSE(motions(run).empty());
  EXPECT_EQ(motions(run).front(), "     56.693     28.346 pQ");
  EXPECT_EQ(motions(run)[1], "     70.866     42.520 pL");  // 1 + 1.0 x 0.5
}

TEST(Traceplot, ShortSampleRecordReadsZerosAndTheNextRecordContinues) {
  const std::string file = TraceFile("0.5", "1")
                               .header("0", "8", "1.0")
                               .line(right("1.0", 12) + right("2.0", 12) + right("3.0", 12))
                               .line(right("4.0", 12) + right("5.0", 12))
                               .text();
  const ProgramRun run = run_traceplot("0\n1\n1\n1\n", file);
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> ys;
  for (const auto& m : motions(run)) ys.push_back(m.substr(11, 11));
  EXPECT_EQ(ys, (std::vector<std::string>{"     28.346", "     56.693", "     85.039", "      0.000",
                                          "      0.000", "      0.000", "    113.386", "    141.732"}));
}

TEST(Traceplot, APointedValueReadsTheSameAnywhereInItsColumns) {
  std::vector<std::string> fields;
  for (std::size_t at = 0; at < 10; ++at)
    fields.push_back(std::string(at, ' ') + "1.5" + std::string(9 - at, ' '));
  TraceFile file("0.5", "1");
  file.header("0", "10", "1.0");
  std::string first, second;
  for (std::size_t k = 0; k < fields.size(); ++k) (k < 6 ? first : second) += fields[k];
  file.line(first).line(second);
  const ProgramRun run = run_traceplot("0\n1\n1\n1\n", file.text());
  EXPECT_EQ(run.status, 0) << run.err;
  const auto m = motions(run);
  ASSERT_EQ(m.size(), 10u);
  for (const auto& line : m) EXPECT_EQ(line.substr(11, 11), "     42.520") << line;
}

TEST(Traceplot, MoreTracesAndSamplesThanTheOldArraysHeld) {
  constexpr int kTraces = 40;
  constexpr int kSamples = 5000;
  TraceFile file("0.001", std::to_string(kTraces));
  std::vector<std::string> samples;
  for (int j = 0; j < kSamples; ++j) samples.push_back(j % 2 == 0 ? "0.25" : "-0.25");
  for (int t = 0; t < kTraces; ++t) file.trace(std::to_string(t) + ".", samples);
  const ProgramRun run = run_traceplot("27\n1\n3\n0.6\n", file.text());
  EXPECT_EQ(run.status, 0) << run.err;
  int moves = 0, draws = 0;
  for (const auto& m : motions(run)) {
    moves += m.ends_with(" pQ") || m.ends_with(" pM");
    draws += m.ends_with(" pL");
  }
  EXPECT_EQ(draws, kTraces * (kSamples - 1));
  // One move per trace, plus a restarting " pM" after every 1001st motion.
  EXPECT_EQ(moves, kTraces + kTraces * kSamples / 1001);
  // x from 2 to 2 + 4999 x 0.001 x 3 cm, y from 27 - 39 x 0.6 - 0.25 to 27 + 0.25.
  EXPECT_EQ(run.lines().back(), "%%BoundingBox:   56   94  481  772");
}

// ---------------------------------------------------------------- failures

TEST(Traceplot, BadFieldStopsWithTheDocumentDrawnSoFar) {
  const std::string file = TraceFile("0.5", "2")
                               .trace("10.0", {"0.0", "1.0", "-1.0"}, "1.0")
                               .trace("20.0", {"0.5", "12x4"}, "2.0")
                               .text();
  const ProgramRun run = run_traceplot(kWorkedInput, file);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "traceplot: fort.10, line 10, columns 13-24 (sample 2 of trace 2): not a number: \"12x4\"\n");
  EXPECT_EQ(run.out, "");
  // Trace 2 is read whole before it is drawn: nothing of it, and no trailer.
  EXPECT_EQ(
      run.lines(),
      document({"     56.693    141.732 pQ", "     70.866    155.906 pL", "     85.039    127.559 pL"}, ""));
}

// A typo must not plot as a silent zero: a real field with no digits is
// reported with its place in every kind of real field; a blank field is 0.
TEST(Traceplot, RealFieldsWithoutDigitsAreErrors) {
  for (const std::string bad : {"-", "+", ".", "-.", "E5", "--1", "+-1"}) {
    struct Case {
      std::string file;
      std::string where;
    };
    const std::vector<Case> cases = {
        {TraceFile(bad, "1").trace("10.0", {"1.0"}).text(), "line 1, columns 1-12 (sample interval)"},
        {TraceFile("0.5", "1").trace(bad, {"1.0"}).text(), "line 3, columns 1-12 (position of trace 1)"},
        {TraceFile("0.5", "1").trace("10.0", {"1.0"}, bad).text(), "line 5, columns 1-15 (amplitude of trace 1)"},
        {TraceFile("0.5", "1").trace("10.0", {"1.0", "2.0", bad}).text(),
         "line 6, columns 25-36 (sample 3 of trace 1)"},
    };
    for (const auto& c : cases) {
      const ProgramRun run = run_traceplot(kWorkedInput, c.file);
      EXPECT_EQ(run.status, 2) << bad << " at " << c.where;
      EXPECT_EQ(run.err, "traceplot: fort.10, " + c.where + ": not a number: \"" + bad + "\"\n");
    }
  }
  // Blank fields still read 0.
  const ProgramRun blank = run_traceplot(kWorkedInput, TraceFile("0.5", "1").trace("10.0", {"1.0", " ", "1.0"}).text());
  EXPECT_EQ(blank.status, 0) << blank.err;
  EXPECT_EQ(motions(blank)[1], "     70.866    141.732 pL");
}

// A sample whose point overflows: the motion is left out, the first such
// sample is named, the exit status is 1, and the document renders. At the
// start of a trace the lost move must not join the next point to anything:
// the trace starts afresh at its next point, and the box does not reach 0 0.
TEST(Traceplot, NonFinitePointsAreNamedAndLoseThePen) {
  const std::string file =
      TraceFile("0.5", "1").trace("10.0", {"1.0e38", "1.0", "2.0", "1.0", "1.0", "1.0", "1.0", "3.0e38"}).text();
  const ProgramRun run = run_traceplot("5.0\n10\n1.0\n0.1\n", file);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("plume: 2 lines with a non-finite operand not written to unit 8 (fort.8)"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("traceplot: fort.10, line 6, field 1 (sample 1 of trace 1): its point (2, inf) is not "
                         "finite on the page; 2 motions left out of the plot"),
            std::string::npos)
      << run.err;
  const auto m = motions(run);
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[0], "     70.866    425.197 pQ");
  EXPECT_EQ(run.lines().back(), "%%BoundingBox:   70  425  141  708");
  expect_renders(run);
}

// Far samples keep their exact value where the field holds it; beyond it
// they are clamped, reported, and the run is not a success.
TEST(Traceplot, ClampedOperandsAreReportedAndFail) {
  const std::string file = TraceFile("0.5", "1").trace("10.0", {"-10.0", "1.0"}).text();
  const ProgramRun near = run_traceplot("5.0\n1000\n1.0\n0.1\n", file);
  EXPECT_EQ(near.status, 0) << near.err;
  const auto lines = near.lines();
  ASSERT_GE(lines.size(), 5u);
  // The y field of the move is full: one blank keeps it apart, exact.
  EXPECT_EQ(lines[lines.size() - 5], "     56.693 -283322.844 pQ");
  EXPECT_EQ(lines[lines.size() - 4], "     70.866  28488.189 pL");
  const ProgramRun far = run_traceplot("5.0\n1e6\n1.0\n0.1\n", file);
  EXPECT_EQ(far.status, 1);
  EXPECT_EQ(far.err, "plume: 2 lines with an operand beyond its field written clamped to unit 8 (fort.8)\n");
  expect_renders(far);
}

TEST(Traceplot, TraceFileEndingWithinATraceKeepsTheTracesBefore) {
  std::string file =
      TraceFile("0.5", "2").trace("10.0", {"0.0", "1.0", "-1.0"}).header("20.0", "12", "2.0").text();
  file += right("1.0", 12) + right("1.0", 12) + right("1.0", 12) + right("1.0", 12) + right("1.0", 12) +
          right("1.0", 12) + "\n";
  const ProgramRun run = run_traceplot(kWorkedInput, file);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(
      run.err,
      "traceplot: fort.10, line 11: end of file before the sample record of trace 2 (samples 7-12 of 12)\n");
  EXPECT_EQ(run.lines().size(), kHeadLines + 3);
}

TEST(Traceplot, AnnouncedSampleCountBeyondTheFileIsAnEndOfFile) {
  const std::string file = TraceFile("0.5", "1").header("0", "99999", "1.0").line("1.0").text();
  const ProgramRun run = run_traceplot(kWorkedInput, file);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "traceplot: fort.10, line 7: end of file before the sample record of trace 1 (samples 7-12 of "
            "99999)\n");
  EXPECT_EQ(run.lines(), document({}, ""));
}

TEST(Traceplot, MissingTraceFileLeavesTheOpenedDocument) {
  const ProgramRun run = run_traceplot(kWorkedInput, nullptr);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "traceplot: cannot open fort.10: No such file or directory\n");
  EXPECT_EQ(run.lines(), document({}, ""));
}

TEST(Traceplot, ZeroReferenceAmplitudeWithNegativeScaleIsAnError) {
  const std::string file =
      TraceFile("0.5", "2").trace("10.0", {"0.0", "1.0"}, "0.0").trace("10.0", {"1.0"}).text();
  const ProgramRun run = run_traceplot("5\n-0.5\n1\n0.1\n", file);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "traceplot: fort.10, line 5 (amplitude of trace 1): an amplitude of 0 cannot be the reference "
            "amplitude of a negative amplitude_scale\n");
  EXPECT_EQ(run.lines(), document({}, ""));  // reported before the trace is drawn
  // With a positive scale the amplitude is not used: no error.
  EXPECT_EQ(run_traceplot("5\n0.5\n1\n0.1\n", file).status, 0);
}

TEST(Traceplot, ParameterErrorsStartNoDocument) {
  struct Case {
    std::string input;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", "traceplot: standard input: end of file before baseline_y (parameter 1 of 4)\n"},
      {"5\n0.5\n1\n", "traceplot: standard input: end of file before spacing_scale (parameter 4 of 4)\n"},
      {"5\n\nabc\n1\n1\n", "traceplot: standard input, line 3: not a number for amplitude_scale: \"abc\"\n"},
      {"5\n,0.5\n1\n1\n",
       "traceplot: standard input, line 2: no value for amplitude_scale (a null value: a separator stands "
       "before any number)\n"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = run_traceplot(c.input, kWorkedFile);
    EXPECT_EQ(run.status, 2) << c.input;
    EXPECT_EQ(run.err, c.message);
    EXPECT_FALSE(run.has_document()) << c.input;
  }
}

TEST(Traceplot, UnwritableDocumentIsAFailure) {
  const ProgramRun run = run_traceplot(kWorkedInput, &kWorkedFile, "", [](const std::string& dir) {
    ASSERT_EQ(::symlink("/dev/full", (dir + "/fort.8").c_str()), 0);
  });
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("(fort.8)"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
}

}  // namespace
