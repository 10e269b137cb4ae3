// The Fw.d and Iw writers: the documented field rules, operand clamping, and
// the digits against the C library's exact conversion. The byte-for-byte
// comparison with the gfortran runtime is format_oracle_test.
//
// PLUME_FORMAT_EXHAUSTIVE=1 also runs the f11.3, f10.3 and f5.2 operand
// writers over all 2^32 bit patterns against the general writer (about ten
// minutes in a Release build).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "device/format.hpp"
#include "device/record.hpp"
#include "support/random.hpp"

namespace {

namespace fmt = plume::fmt;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string fixed(float v, int w, int d) {
  char buf[fmt::kMaxMinimalWidth + 64];
  return {buf, fmt::write_fixed(buf, v, w, d)};
}
std::string integer(std::int32_t v, int w) {
  char buf[fmt::kMaxMinimalWidth + 64];
  return {buf, fmt::write_integer(buf, v, w)};
}
std::string operand(float v, int w, int d) {
  char buf[fmt::kMaxMinimalWidth + 64];
  return {buf, fmt::write_operand(buf, v, w, d)};
}
std::string operand_integer(std::int32_t v, int w) {
  char buf[fmt::kMaxMinimalWidth + 64];
  return {buf, fmt::write_operand_integer(buf, v, w)};
}

TEST(Format, FixedFieldsFollowTheDocumentedRules) {
  EXPECT_EQ(fixed(0.3f, 5, 2), " 0.30");
  EXPECT_EQ(fixed(1.5f, 6, 2), "  1.50");
  EXPECT_EQ(fixed(28.346457f, 11, 3), "     28.346");
  EXPECT_EQ(fixed(0.0f, 11, 3), "      0.000");
  // Rounded from the exact binary value, ties to even.
  EXPECT_EQ(fixed(0.125f, 5, 2), " 0.12");
  EXPECT_EQ(fixed(0.375f, 5, 2), " 0.38");
  EXPECT_EQ(fixed(2.5f, 3, 0), " 2.");
  EXPECT_EQ(fixed(3.5f, 3, 0), " 4.");
  EXPECT_EQ(fixed(0.0625f, 11, 3), "      0.062");
  EXPECT_EQ(fixed(1.005f, 5, 2), " 1.00");  // 1.00499999523...
  EXPECT_EQ(fixed(9.9999f, 5, 2), "10.00");
  // The 0 before the point only where it fits.
  EXPECT_EQ(fixed(0.5f, 6, 2), "  0.50");
  EXPECT_EQ(fixed(0.5f, 3, 2), ".50");
  EXPECT_EQ(fixed(-0.5f, 4, 2), "-.50");
  EXPECT_EQ(fixed(-0.5f, 3, 2), "***");
  // Negative values that round to zero keep their sign; so does -0.0.
  EXPECT_EQ(fixed(-0.0001f, 6, 3), "-0.000");
  EXPECT_EQ(fixed(-0.004f, 6, 2), " -0.00");
  EXPECT_EQ(fixed(0.004f, 6, 2), "  0.00");
  EXPECT_EQ(fixed(-0.0f, 5, 2), "-0.00");
  // A point also with no decimals; then the 0 is required.
  EXPECT_EQ(fixed(12.0f, 4, 0), " 12.");
  EXPECT_EQ(fixed(12.0f, 6, 0), "   12.");
  EXPECT_EQ(fixed(0.0f, 2, 0), "0.");
  EXPECT_EQ(fixed(0.0f, 1, 0), "*");
  EXPECT_EQ(fixed(-0.0f, 2, 0), "**");
  // Too wide: asterisks.
  EXPECT_EQ(fixed(1234.5f, 6, 2), "******");
  EXPECT_EQ(fixed(9999999.9995f, 11, 3), "***********");
  EXPECT_EQ(fixed(-1e6f, 11, 3), "***********");
  EXPECT_EQ(fixed(-999999.9f, 11, 3), "-999999.875");
}

TEST(Format, MinimalWidthHasNoBlanksAndNoOptionalZero) {
  EXPECT_EQ(fixed(0.5f, 0, 2), ".50");
  EXPECT_EQ(fixed(-0.0f, 0, 2), "-.00");
  EXPECT_EQ(fixed(0.5f, 0, 0), "0.");
  EXPECT_EQ(fixed(-0.0f, 0, 0), "-0.");
  EXPECT_EQ(fixed(9.9999f, 0, 0), "10.");
  EXPECT_EQ(fixed(-1234.5f, 0, 1), "-1234.5");
  EXPECT_EQ(fixed(std::numeric_limits<float>::max(), 0, 0), "340282346638528859811704183484516925440.");
  EXPECT_EQ(fixed(-std::numeric_limits<float>::denorm_min(), 0, 9), "-.000000000");
  EXPECT_EQ(fixed(1e30f, 0, 2), "1000000015047466219876688855040.00");
  EXPECT_EQ(fixed(1e30f, 35, 2), " 1000000015047466219876688855040.00");
}

TEST(Format, NonFiniteValuesAreNamedWhereTheNameFits) {
  EXPECT_EQ(fixed(kInf, 11, 3), "   Infinity");
  EXPECT_EQ(fixed(kInf, 7, 2), "    Inf");
  EXPECT_EQ(fixed(-kInf, 9, 2), "-Infinity");
  EXPECT_EQ(fixed(-kInf, 5, 2), " -Inf");
  EXPECT_EQ(fixed(-kInf, 3, 2), "***");
  EXPECT_EQ(fixed(kNaN, 5, 2), "  NaN");
  EXPECT_EQ(fixed(-kNaN, 3, 0), "NaN");
  EXPECT_EQ(fixed(kNaN, 2, 1), "**");
  EXPECT_EQ(fixed(kInf, 0, 3), "Inf");
  EXPECT_EQ(fixed(-kInf, 0, 3), "-Inf");
}

TEST(Format, IntegerFields) {
  EXPECT_EQ(integer(-3, 5), "   -3");
  EXPECT_EQ(integer(0, 1), "0");
  EXPECT_EQ(integer(-1, 1), "*");
  EXPECT_EQ(integer(123456, 5), "*****");
  EXPECT_EQ(integer(-9999, 5), "-9999");
  EXPECT_EQ(integer(-10000, 5), "*****");
  EXPECT_EQ(integer(std::numeric_limits<std::int32_t>::min(), 0), "-2147483648");
  EXPECT_EQ(integer(std::numeric_limits<std::int32_t>::min(), 11), "-2147483648");
  EXPECT_EQ(integer(std::numeric_limits<std::int32_t>::max(), 12), "  2147483647");
  EXPECT_EQ(integer(42, 0), "42");
}

TEST(Format, OperandsBeyondTheFieldAreClampedToTheWidestValue) {
  EXPECT_EQ(operand(1e7f, 11, 3), "9999999.999");
  EXPECT_EQ(operand(9999999.0f, 11, 3), "9999999.000");
  EXPECT_EQ(operand(std::numeric_limits<float>::max(), 11, 3), "9999999.999");
  EXPECT_EQ(operand(-999999.0f, 11, 3), "-999999.000");
  EXPECT_EQ(operand(-999999.9999f, 11, 3), "-999999.999");  // rounds to -1000000.000
  EXPECT_EQ(operand(-std::numeric_limits<float>::max(), 11, 3), "-999999.999");
  EXPECT_EQ(operand(-0.0f, 11, 3), "     -0.000");
  EXPECT_EQ(operand(100.0f, 5, 2), "99.99");
  EXPECT_EQ(operand(99.995f, 5, 2), "99.99");  // 99.9950027...: rounds to 100.00
  EXPECT_EQ(operand(99.99f, 5, 2), "99.99");
  EXPECT_EQ(operand(-10.0f, 5, 2), "-9.99");
  EXPECT_EQ(operand(-9.99f, 5, 2), "-9.99");
  EXPECT_EQ(operand(0.3f, 5, 2), " 0.30");
  EXPECT_EQ(operand(1e9f, 4, 0), "999.");
  EXPECT_EQ(operand(-1e9f, 4, 0), "-99.");
  EXPECT_EQ(operand(-1.0f, 2, 0), "**");  // no negative value fits
  EXPECT_EQ(operand(-1e9f, 10, 3), "-99999.999");
  EXPECT_EQ(operand(1e9f, 10, 3), "999999.999");
  EXPECT_EQ(operand(-0.5f, 4, 2), "-.50");
  EXPECT_EQ(operand(-5.0f, 4, 2), "-.99");
  EXPECT_EQ(operand_integer(100000, 5), "99999");
  EXPECT_EQ(operand_integer(std::numeric_limits<std::int32_t>::max(), 5), "99999");
  EXPECT_EQ(operand_integer(-10000, 5), "-9999");
  EXPECT_EQ(operand_integer(std::numeric_limits<std::int32_t>::min(), 5), "-9999");
  EXPECT_EQ(operand_integer(-42, 5), "  -42");
}

// For a field wide enough for any float, Fw.d is the C library's "%#w.df":
// glibc converts exactly and rounds ties to even as well.
std::string c_library_fixed(float v, int w, int d) {
  char buf[128];
  const int n = std::snprintf(buf, sizeof buf, "%#*.*f", w, d, static_cast<double>(v));
  return {buf, static_cast<std::size_t>(n)};
}

TEST(Format, WideFieldDigitsMatchTheExactConversion) {
  int mismatches = 0;
  for (std::uint64_t bits = 0; bits < (1ull << 32); bits += 65521) {
    const float v = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    if (!std::isfinite(v)) continue;
    for (int d = 0; d <= 9; ++d) {
      const std::string expected = c_library_fixed(v, 60, d);
      const std::string got = fixed(v, 60, d);
      if (got != expected && ++mismatches <= 5) ADD_FAILURE() << std::hexfloat << v << " d=" << d << ": " << got;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// The widest value of each sign that a field prints, or the field's
// asterisks when no value of that sign fits.
std::string widest(int w, int d, bool negative) {
  const int integer_digits = w - d - 1 - (negative ? 1 : 0);
  std::string text(static_cast<std::size_t>(w), '*');
  if (integer_digits < (d == 0 ? 1 : 0)) return text;
  text.assign(negative ? 1 : 0, '-');
  text.append(static_cast<std::size_t>(integer_digits), '9');
  text.push_back('.');
  text.append(static_cast<std::size_t>(d), '9');
  return text;
}

// The operand writer (integer-only short road for most fields) against the
// general Fw.d writer: the same where the value fits, else the widest value.
void expect_operand_matches_general(int w, int d, std::uint64_t first, std::uint64_t stride, std::uint64_t end) {
  const std::string high = widest(w, d, false), low = widest(w, d, true);
  int mismatches = 0;
  char got_buf[fmt::kMaxMinimalWidth], general[fmt::kMaxMinimalWidth];
  for (std::uint64_t bits = first; bits < end; bits += stride) {
    const float v = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    if (!std::isfinite(v)) continue;
    char* got_end = w == 11 && d == 3 ? fmt::write_operand_f11_3(got_buf, v) : fmt::write_operand(got_buf, v, w, d);
    const std::string_view got(got_buf, static_cast<std::size_t>(got_end - got_buf));
    std::string_view expected(general, static_cast<std::size_t>(fmt::write_fixed(general, v, w, d) - general));
    if (expected[0] == '*') expected = std::signbit(v) ? low : high;
    if (got != expected && ++mismatches <= 5) {
      ADD_FAILURE() << "f" << w << "." << d << " " << std::hexfloat << v << ": " << got << " vs " << expected;
    }
  }
  EXPECT_EQ(mismatches, 0) << "f" << w << "." << d;
}

TEST(Format, OperandWritersAgreeWithTheGeneralWriter) {
  const std::uint64_t all = 1ull << 32;
  for (int w : {11, 10, 5}) {
    const int d = w == 5 ? 2 : 3;
    expect_operand_matches_general(w, d, 0, 4099, all);
    // Every float from 0.0005 to 2^24 of one sign, thinned to every 61st.
    expect_operand_matches_general(w, d, std::bit_cast<std::uint32_t>(0.0005f), 61,
                                   std::bit_cast<std::uint32_t>(16777216.0f));
  }
  for (int w = 1; w <= 22; ++w) {
    for (int d = 0; d <= 9; ++d) expect_operand_matches_general(w, d, 12345, 999983, all);
  }
}

TEST(Format, OperandWritersAgreeOnEveryBitPattern) {
  const char* env = std::getenv("PLUME_FORMAT_EXHAUSTIVE");
  if (env == nullptr || std::string_view(env) != "1") GTEST_SKIP() << "set PLUME_FORMAT_EXHAUSTIVE=1";
  for (int w : {11, 10, 5}) expect_operand_matches_general(w, w == 5 ? 2 : 3, 0, 1, 1ull << 32);
}

}  // namespace

// The inlined writer of path lines must be byte for byte the record of two
// f11.3 operands (tested against the gfortran runtime in format_oracle_test).
TEST(Format, PathLineWriterAgreesWithTheOperandWriters) {
  plume::testing::XorShift random(0x9e3779b97f4a7c15ull);
  const auto next_bits = [&random] { return static_cast<std::uint32_t>(random.next()); };
  const float edges[] = {0.0f, -0.0f, 0.0005f, -0.0005f, 0.0015f, 999.9995f, 1000.0f, -99999.9995f,
                         999999.999f, 1.0e6f, -1.0e5f, 9999999.0f, 1.0e7f, -1.0e7f, 3.0e38f, -3.0e38f,
                         1.0e-45f, 28.346457f, 56.692914f, 0.1250f, 0.0625f};
  for (int i = 0; i < 2000000; ++i) {
    float x = i < 441 ? edges[i % 21] : std::bit_cast<float>(next_bits());
    float y = i < 441 ? edges[i / 21] : (i % 2 ? std::bit_cast<float>(next_bits()) : x * 0.37f);
    if (i % 3 == 0) x = static_cast<float>(static_cast<int>(next_bits() % 4000000u) - 2000000) / 1000.0f;
    if (!std::isfinite(x)) x = 1.5f;
    if (!std::isfinite(y)) y = -2.5f;
    plume::device::Record expected;
    expected.real(x, 11, 3).real(y, 11, 3);
    char actual[64];
    char* a = plume::fmt::write_path_operands(actual, x, y);
    ASSERT_EQ(std::string_view(actual, static_cast<std::size_t>(a - actual)), expected.view())
        << "x bits " << std::bit_cast<std::uint32_t>(x) << " y bits " << std::bit_cast<std::uint32_t>(y);
  }
}

// Path operands below 1000 take a short route: every 211th bit pattern of
// that range in both fields, and every pattern next to where the short
// route ends (999.9995, rounding up to 1000.000).
TEST(Format, PathLineWriterShortRouteAgreesAcrossItsRange) {
  const auto line_of = [](float x, float y) {
    plume::device::Record r;
    r.real(x, 11, 3).real(y, 11, 3);
    return std::string(r.view());
  };
  const auto path_line_of = [](float x, float y) {
    char text[64];
    const char* e = plume::fmt::write_path_operands(text, x, y);
    return std::string(text, static_cast<std::size_t>(e - text));
  };
  const std::uint32_t limit = std::bit_cast<std::uint32_t>(1000.0f);
  std::uint32_t partner = std::bit_cast<std::uint32_t>(-0.0005f);
  for (std::uint32_t bits = 0; bits <= limit; bits += 211) {
    for (const float v : {std::bit_cast<float>(bits), -std::bit_cast<float>(bits)}) {
      partner = partner * 1664525u + 1013904223u;
      const float other = std::bit_cast<float>(partner % (limit + 1) | (partner & 0x80000000u));
      ASSERT_EQ(path_line_of(v, other), line_of(v, other)) << "bits " << bits;
      ASSERT_EQ(path_line_of(other, v), line_of(other, v)) << "bits " << bits;
    }
  }
  const std::uint32_t edge = std::bit_cast<std::uint32_t>(999.9995f);
  for (std::uint32_t bits = edge - 2000; bits <= edge + 2000; ++bits) {
    const float v = std::bit_cast<float>(bits);
    for (const float w : {v, -v}) {
      ASSERT_EQ(path_line_of(w, 1.0f), line_of(w, 1.0f)) << "bits " << bits;
      ASSERT_EQ(path_line_of(1.0f, w), line_of(1.0f, w)) << "bits " << bits;
    }
  }
}
