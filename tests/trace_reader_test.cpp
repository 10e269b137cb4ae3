// The trace plot program's input: numeric fields, lines, the trace file
// records and the run parameters, with the rules of Fortran formatted input
// (the differential comparison with gfortran is tests/fortran/read_oracle_test).
#include "driver/trace_reader.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "driver/input_error.hpp"
#include "driver/line_reader.hpp"
#include "driver/numeric_input.hpp"
#include "driver/parameter_reader.hpp"
#include "support/document.hpp"

namespace {

using traceplot::InputError;
using traceplot::LineReader;
using traceplot::read_integer_field;
using traceplot::read_list_real;
using traceplot::read_real_field;
using traceplot::ReadStatus;

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

float real(std::string_view field, int decimals) {
  const auto r = read_real_field(field, decimals);
  EXPECT_EQ(r.status, ReadStatus::ok) << "field \"" << field << "\"";
  return r.value;
}

ReadStatus status(std::string_view field, int decimals = 7) {
  return read_real_field(field, decimals).status;
}

// A LineReader over a file holding `text`.
LineReader lines_of(const std::string& text, std::size_t capacity = LineReader::kDefaultCapacity,
                    const std::string& name = "fort.10") {
  static int serial = 0;
  const std::string path = plume::testing::temp_path("input" + std::to_string(++serial) + ".txt");
  std::ofstream(path, std::ios::binary) << text;
  return LineReader(::open(path.c_str(), O_RDONLY | O_CLOEXEC), name, true, capacity);
}

std::string message_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const InputError& e) {
    return e.what();
  }
  return "(no error)";
}

// ---------------------------------------------------------------- F fields

TEST(RealField, ImpliedDecimalsApplyOnlyWithoutAPoint) {
  EXPECT_EQ(real("     1234567", 5), 12.34567f);
  EXPECT_EQ(real("     1234567", 7), 0.1234567f);
  EXPECT_EQ(real("        15e1", 7), 1.5e-5f);  // the exponent adds to the implied shift
  EXPECT_EQ(real("       1.5e1", 7), 15.0f);
  for (std::size_t at = 0; at + 3 <= 12; ++at) {  // 1.5 anywhere in its 12 columns
    std::string field(12, ' ');
    field.replace(at, 3, "1.5");
    EXPECT_EQ(real(field, 7), 1.5f) << "at column " << at + 1;
    EXPECT_EQ(real(field, 5), 1.5f) << "at column " << at + 1;
  }
}

TEST(RealField, BlanksAnywhereAreIgnored) {
  EXPECT_EQ(real("1 2 3       ", 5), 0.00123f);
  EXPECT_EQ(real(" - 1 . 5    ", 7), -1.5f);
  EXPECT_EQ(real("1.5e 3", 7), 1500.0f);
  EXPECT_EQ(real("1.5e3 4", 7), 1.5e34f);
}

TEST(RealField, ExponentsWithLetterOrSignAlone) {
  EXPECT_EQ(real("1.5e3", 7), 1500.0f);
  EXPECT_EQ(real("1.5E+3", 7), 1500.0f);
  EXPECT_EQ(real("1.5d3", 7), 1500.0f);
  EXPECT_EQ(real("1.5D-3", 7), 0.0015f);
  EXPECT_EQ(real("1.5q3", 7), 1500.0f);
  EXPECT_EQ(real("1.5+3", 7), 1500.0f);
  EXPECT_EQ(real("1.5-3", 7), 0.0015f);
  EXPECT_EQ(real("1.5+   ", 7), 1.5f);                  // a sign with blanks after it: exponent 0
  EXPECT_EQ(status("1.5+"), ReadStatus::not_a_number);  // ... but not at the field's very end
  EXPECT_EQ(status("1.5e   "), ReadStatus::not_a_number);
}

TEST(RealField, EmptyAndBlankFieldsAreZero) {
  for (const char* f : {"", "            ", " "}) {
    const auto r = read_real_field(f, 7);
    EXPECT_EQ(r.status, ReadStatus::ok) << f;
    EXPECT_EQ(bits(r.value), 0u) << f;  // +0.0
  }
  EXPECT_EQ(bits(real("-0.0", 7)), 0x80000000u);
  EXPECT_EQ(bits(real("- 0", 7)), 0x80000000u);
  EXPECT_EQ(real(".5", 7), 0.5f);
  EXPECT_EQ(real("5.", 7), 5.0f);
}

// A typo must not plot as a silent zero: a field with no digit before its
// exponent is not a number, where the runtime reads some of them as 0.
TEST(RealField, FieldsWithoutDigitsAreNotNumbers) {
  for (const char* f : {"-", "+", "  +  ", "   -", ".", "-.", "+.", " . ", "E5", "e5", "d3", ".e5", "+.e5",
                        "--1", "+-1", "-+1", "- -1", "-E5", "E", "-e+5"}) {
    EXPECT_EQ(status(f), ReadStatus::not_a_number) << traceplot::quoted(f);
  }
}

TEST(RealField, WhatIsNotANumber) {
  for (const char* f : {"12x4", "1..5", "1.5.", "1.5E", "1.5E+", "1.5e3.0", "1.5E3D4", "1.5\t", "\t1.5",
                        "1,5", "0x10", "1;2", "infinityx", "in", "nan(a b)", "inf()", "1.5\r"}) {
    EXPECT_EQ(status(f), ReadStatus::not_a_number) << traceplot::quoted(f);
  }
}

TEST(RealField, ExponentBeyondFourDigitsAfterTheShiftIsAnError) {
  EXPECT_EQ(status("1e9994", 5), ReadStatus::ok);  // 9994 - 5
  EXPECT_EQ(std::isinf(real("1e9994", 5)), true);
  EXPECT_EQ(status("1e-9994", 5), ReadStatus::ok);              // -9999
  EXPECT_EQ(status("1e-9995", 5), ReadStatus::exponent_range);  // -10000
  EXPECT_EQ(status("1.e10000", 5), ReadStatus::exponent_range);
  EXPECT_EQ(real("1.e-9999", 5), 0.0f);
  EXPECT_EQ(status("1e99999999999999999999"), ReadStatus::exponent_range);  // no wrap-around
}

TEST(RealField, RoundedCorrectlyToSinglePrecision) {
  // Twelve digits: a float division by 10^7 would round twice (68970.039).
  EXPECT_EQ(real("689700432462", 7), 68970.0432462f);
  EXPECT_EQ(bits(real("689700432462", 7)), bits(68970.0469f));
  EXPECT_EQ(real("16777217.", 7), 16777216.0f);  // ties to even
  EXPECT_EQ(real("16777219.", 7), 16777220.0f);
  EXPECT_EQ(real("16777217.00001", 7), 16777218.0f);
  EXPECT_EQ(real("0.1", 7), 0.1f);
  EXPECT_EQ(real("3.4028235E38", 7), std::numeric_limits<float>::max());
  EXPECT_EQ(real("3.4028236E38", 7), std::numeric_limits<float>::infinity());  // past the last midpoint
  EXPECT_EQ(real("-1.e39", 7), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(real("1.4E-45", 7), std::numeric_limits<float>::denorm_min());
  EXPECT_EQ(real("7.0E-46", 7), 0.0f);
  EXPECT_EQ(real("7.1E-46", 7), std::numeric_limits<float>::denorm_min());
}

// Plain digit fields take a short route; around its edges (2^24, nine and
// ten digits, 10 and 11 implied decimals, signs, zeros) it must give what
// the general reader gives, bit for bit.
TEST(RealField, PlainDigitFieldsReadAsTheGeneralReaderReadsThem) {
  const std::string magnitudes[] = {"0", "00000000", "1", "9", "8550000", "16777215", "16777216", "16777217",
                                    "16777218", "99999999", "999999999", "1000000000", "123456789", "0016777217"};
  for (const std::string& digits : magnitudes) {
    for (const char* sign : {"", "-", "+"}) {
      for (const char* lead : {"", "   ", "       "}) {
        const std::string field = lead + std::string(sign) + digits;
        for (int d = 0; d <= 12; ++d) {
          const auto quick = read_real_field(field, d);
          const auto general = traceplot::read_real_field_in_general(field, d);
          ASSERT_EQ(quick.status, general.status) << "'" << field << "' d=" << d;
          ASSERT_EQ(bits(quick.value), bits(general.value)) << "'" << field << "' d=" << d;
        }
      }
    }
  }
}

TEST(RealField, InfinityAndNaNAsTheRuntimeAcceptsThem) {
  EXPECT_EQ(real("  inf", 7), std::numeric_limits<float>::infinity());
  EXPECT_EQ(real("-Infinity", 7), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(real("inf x", 7), std::numeric_limits<float>::infinity());  // the word ends at the blank
  EXPECT_TRUE(std::isnan(real("NaN", 7)));
  EXPECT_TRUE(std::isnan(real("nan(q1)", 7)));
}

// ---------------------------------------------------------------- I fields

TEST(IntegerField, DigitsSignsAndBlanks) {
  EXPECT_EQ(read_integer_field(" 12 3").value, 123);
  EXPECT_EQ(read_integer_field("-  7").value, -7);
  EXPECT_EQ(read_integer_field("").value, 0);
  EXPECT_EQ(read_integer_field("+    ").value, 0);  // a sign with blanks after it
  EXPECT_EQ(read_integer_field("99999").value, 99999);
  EXPECT_EQ(read_integer_field("   +").status, ReadStatus::not_a_number);  // a sign at the very end
  EXPECT_EQ(read_integer_field("1.5").status, ReadStatus::not_a_number);
  EXPECT_EQ(read_integer_field("1e3").status, ReadStatus::not_a_number);
  EXPECT_EQ(read_integer_field("-2147483648").value, INT32_MIN);
  EXPECT_EQ(read_integer_field("2147483648").status, ReadStatus::too_large);
}

// ---------------------------------------------------------------- list-directed values

TEST(ListReal, NumberForms) {
  EXPECT_EQ(read_list_real("5").value, 5.0f);
  EXPECT_EQ(read_list_real("-.5").value, -0.5f);
  EXPECT_EQ(read_list_real("2.").value, 2.0f);
  EXPECT_EQ(read_list_real("1.5d3").value, 1500.0f);
  EXPECT_EQ(read_list_real("1.5+3").value, 1500.0f);
  EXPECT_EQ(read_list_real("1e39").value, std::numeric_limits<float>::infinity());
  EXPECT_EQ(read_list_real("1.00000005960464477539062500000000000000001").value, 1.00000012f);
  std::string long_one(5001, '0');  // 1 and 5000 zeros, scaled back to 1
  long_one[0] = '1';
  EXPECT_EQ(read_list_real(long_one + "e-5000").value, 1.0f);
  std::string long_fraction = "0.";  // 5000 zeros after the point
  long_fraction.append(5000, '0');
  EXPECT_EQ(read_list_real(long_fraction + "25e5001").value, 2.5f);
  for (const char* t : {".", "-.", "+", "e5", "1.5e", "1.5-", "1.5x", "1..5", "infx", "nan(a(b)"}) {
    EXPECT_EQ(read_list_real(t).status, ReadStatus::not_a_number) << t;
  }
}

// ---------------------------------------------------------------- lines

std::vector<std::string> all_lines(LineReader& r, std::size_t keep = LineReader::kWholeLine) {
  std::vector<std::string> out;
  std::string_view line;
  while (r.next(line, keep)) out.emplace_back(line);
  return out;
}

TEST(LineReader, LineEnds) {
  auto r = lines_of("a\r\nb\n\nc\rd\r\nlast\r");
  EXPECT_EQ(all_lines(r), (std::vector<std::string>{"a", "b", "", "c\rd", "last"}));
  EXPECT_EQ(r.line_number(), 5);
  auto unterminated = lines_of("x\ny");
  EXPECT_EQ(all_lines(unterminated), (std::vector<std::string>{"x", "y"}));
  auto empty = lines_of("");
  EXPECT_TRUE(all_lines(empty).empty());
}

TEST(LineReader, LinesAcrossAndBeyondTheBufferAreWholeOrCut) {
  std::string text;
  std::vector<std::string> expected;
  for (int i = 0; i < 60; ++i) {
    std::string line(static_cast<std::size_t>(i * 7 % 41), static_cast<char>('a' + i % 26));
    expected.push_back(line);
    text += line + (i % 3 == 0 ? "\r\n" : "\n");
  }
  for (const std::size_t capacity : {2u, 3u, 8u, 13u, 64u}) {
    auto whole = lines_of(text, capacity);
    EXPECT_EQ(all_lines(whole), expected) << "capacity " << capacity;
    auto cut = lines_of(text, capacity);
    const auto kept = all_lines(cut, 5);
    ASSERT_EQ(kept.size(), expected.size());
    for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], expected[i].substr(0, 5)) << i;
  }
}

TEST(LineReader, LeadingBlanksArePassedOverWithoutBeingKept) {
  for (std::size_t capacity : {std::size_t{2}, std::size_t{7}, LineReader::kDefaultCapacity}) {
    const std::string blanks(100, ' ');
    auto r = lines_of(blanks + "\t 1.5 rest\n" + blanks + "\n   123456789\r\n", capacity);
    std::string_view line;
    ASSERT_TRUE(r.next_after_blanks(line, 4));
    EXPECT_EQ(line, "1.5 ") << capacity;
    EXPECT_TRUE(r.last_line_cut());
    ASSERT_TRUE(r.next_after_blanks(line, 4));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(r.last_line_cut());
    ASSERT_TRUE(r.next_after_blanks(line, 9));
    EXPECT_EQ(line, "123456789") << capacity;
    EXPECT_EQ(r.line_number(), 3);
  }
}

TEST(LineReader, ReadErrorIsAnInputError) {
  const int fd = ::open(".", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  LineReader r(fd, "fort.10", true);
  std::string_view line;
  EXPECT_EQ(message_of([&] { r.next(line); }), "cannot read fort.10: Is a directory");
}

// ---------------------------------------------------------------- fields of a record

TEST(FieldCursor, ACommaEndsAFieldAndTheRecordEndPadsIt) {
  traceplot::FieldCursor c("1.5,-3   7,");
  EXPECT_EQ(c.next(12), "1.5");
  EXPECT_EQ(c.next(12), "-3   7");
  EXPECT_EQ(c.column(), 5u);
  EXPECT_EQ(c.next(12), "");
  EXPECT_EQ(c.next(12), "");
  traceplot::FieldCursor full("aaaaabbbbb,c");
  EXPECT_EQ(full.next(5), "aaaaa");
  EXPECT_EQ(full.next(5), "bbbbb");
  EXPECT_EQ(full.next(5), "");  // the comma right after a full field ends the next one at once
  EXPECT_EQ(full.next(5), "c");
}

// ---------------------------------------------------------------- the trace file

TEST(TraceReader, HeaderRecordsAndSamplesSixToARecord) {
  auto lines = lines_of(
      "     50000     1234567\n"
      "    2\n"
      "  1000000\n"
      "    8\n"
      "       20000000\n"
      "    10000000    20000000    30000000\n"  // three of six: the rest read as 0
      "        0.5        -0.25    this text lies beyond the sample fields\n"
      "trailer\n");
  traceplot::TraceReader reader(lines);
  const auto file = reader.read_file_header();
  EXPECT_EQ(file.sample_interval, 0.5f);
  EXPECT_EQ(file.unused, 12.34567f);
  EXPECT_EQ(reader.read_trace_count(), 2);
  const auto header = reader.read_trace_header(1);
  EXPECT_EQ(header.position, 10.0f);
  EXPECT_EQ(header.sample_count, 8);
  EXPECT_EQ(header.amplitude, 2.0f);
  EXPECT_EQ(header.amplitude_line, 5);
  std::vector<float> samples;
  reader.read_samples(1, header.sample_count, samples);
  EXPECT_EQ(samples, (std::vector<float>{1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 0.0f, 0.5f, -0.25f}));
  std::string_view next;
  ASSERT_TRUE(lines.next(next));
  EXPECT_EQ(next, "trailer");  // the next trace starts on the line after the last sample record
}

TEST(TraceReader, NoSamplesStillConsumeOneRecordUnread) {
  auto lines = lines_of("not numbers at all: never read\nnext\n");
  traceplot::TraceReader reader(lines);
  std::vector<float> samples{1.0f};
  for (const int count : {0, -5}) {
    reader.read_samples(1, count, samples);
    EXPECT_TRUE(samples.empty());
  }
  std::string_view line;
  EXPECT_FALSE(lines.next(line));
}

TEST(TraceReader, AnnouncedCountDoesNotAllocateBeforeTheRecordsExist) {
  auto lines = lines_of("1 2 3 4 5 6\n7\n");
  traceplot::TraceReader reader(lines);
  std::vector<float> samples;
  EXPECT_EQ(message_of([&] { reader.read_samples(3, 99999, samples); }),
            "fort.10, line 3: end of file before the sample record of trace 3 (samples 13-18 of 99999)");
  EXPECT_LT(samples.capacity(), 100u);
}

TEST(TraceReader, MessagesNameTheLineTheColumnsAndTheField) {
  const std::string head = "      100000\n    1\n           0\n   20\n        1000000\n";
  {
    auto lines = lines_of(head +
                          "           1           2           3           4           5           6\n"
                          "           7        12x4\n");
    traceplot::TraceReader reader(lines);
    reader.read_file_header();
    reader.read_trace_count();
    const auto h = reader.read_trace_header(1);
    std::vector<float> samples;
    EXPECT_EQ(message_of([&] { reader.read_samples(1, h.sample_count, samples); }),
              "fort.10, line 7, columns 13-24 (sample 8 of trace 1): not a number: \"12x4\"");
  }
  {
    auto lines = lines_of("      100000\n    1\n           0\n 1.5 \n");
    traceplot::TraceReader reader(lines);
    reader.read_file_header();
    reader.read_trace_count();
    EXPECT_EQ(message_of([&] { reader.read_trace_header(1); }),
              "fort.10, line 4, columns 1-5 (sample count of trace 1): not a number: \"1.5\"");
  }
  {
    auto lines = lines_of("\t0.5\n");
    traceplot::TraceReader reader(lines);
    EXPECT_EQ(message_of([&] { reader.read_file_header(); }),
              "fort.10, line 1, columns 1-4 (sample interval): not a number (a tab is not a blank in a "
              "fixed-column field): \"\\t0.5\"");
  }
  {
    auto lines = lines_of("           1   1e-9999\n");
    traceplot::TraceReader reader(lines);
    EXPECT_EQ(message_of([&] { reader.read_file_header(); }),
              "fort.10, line 1, columns 13-22 (second value of the file header): exponent out of range: "
              "\"1e-9999\"");
  }
  {
    auto lines = lines_of("           1\n");
    traceplot::TraceReader reader(lines);
    reader.read_file_header();
    EXPECT_EQ(message_of([&] { reader.read_trace_count(); }),
              "fort.10, line 2: end of file before the trace count");
  }
}

// ---------------------------------------------------------------- run parameters

traceplot::RunParameters parameters(const std::string& text) {
  auto lines = lines_of(text, LineReader::kDefaultCapacity, "standard input");
  return traceplot::read_run_parameters(lines);
}

std::string parameter_error(const std::string& text) {
  return message_of([&] { parameters(text); });
}

TEST(RunParameters, OneReadPerLineTakingTheFirstNumber) {
  const auto p = parameters("1 2 3 4\n\n   \n0.5, 7\n1e0 x y z\n\t-.1/\n");
  EXPECT_EQ(p.baseline_y, 1.0f);  // four numbers on one line set only the first parameter
  EXPECT_EQ(p.amplitude_scale, 0.5f);
  EXPECT_EQ(p.time_scale, 1.0f);
  EXPECT_EQ(p.spacing_scale, -0.1f);
  const auto q = parameters("2*5\r\n  3d-1\r\n\r\n1.5+1\r\n6");
  EXPECT_EQ(q.baseline_y, 5.0f);
  EXPECT_EQ(q.amplitude_scale, 0.3f);
  EXPECT_EQ(q.time_scale, 15.0f);
  EXPECT_EQ(q.spacing_scale, 6.0f);
}

TEST(RunParameters, MissingValuesAreErrorsNamingTheParameter) {
  EXPECT_EQ(parameter_error(""), "standard input: end of file before baseline_y (parameter 1 of 4)");
  EXPECT_EQ(parameter_error("1\n2\n3\n\n\n"),
            "standard input: end of file before spacing_scale (parameter 4 of 4)");
  EXPECT_EQ(parameter_error("1\n, 2\n"),
            "standard input, line 2: no value for amplitude_scale (a null value: a separator stands before "
            "any number)");
  EXPECT_EQ(parameter_error("/\n"),
            "standard input, line 1: no value for baseline_y (a slash ends the input)");
  EXPECT_EQ(parameter_error("1\n2\n3*\n"),
            "standard input, line 3: no value for time_scale (\"3*\" repeats a null value)");
}

TEST(RunParameters, BadNumbersAreErrorsQuotingTheText) {
  EXPECT_EQ(parameter_error("1\n\n1.5x 2\n"),
            "standard input, line 3: not a number for amplitude_scale: \"1.5x\"");
  EXPECT_EQ(parameter_error("0*5\n"),
            "standard input, line 1: a repeat count of zero for baseline_y: \"0*5\"");
  EXPECT_EQ(parameter_error("300000000*5\n"),
            "standard input, line 1: a repeat count too large for baseline_y: \"300000000*5\"");
  EXPECT_EQ(parameter_error("T\n"), "standard input, line 1: not a number for baseline_y: \"T\"");
}

TEST(Quoted, EscapesWhatCannotBeShownAndCutsLongTexts) {
  EXPECT_EQ(traceplot::quoted("a\tb\r\"\\\x01\xff"), "\"a\\tb\\r\\\"\\\\\\x01\\xff\"");
  EXPECT_EQ(traceplot::quoted(std::string(100, 'x')), "\"" + std::string(60, 'x') + "\"...");
}

}  // namespace
