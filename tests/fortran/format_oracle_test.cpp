// The library's Fw.d and Iw writers against the gfortran runtime itself
// (tests/fortran/format_oracle.f90), value by value, byte for byte.
//
// PLUME_FORMAT_ORACLE_SAMPLES sets the number of values per hot descriptor
// (default 1000000); every other descriptor gets a fiftieth of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "device/format.hpp"
#include "device/record.hpp"

extern "C" {
void plume_oracle_write_reals(const float* values, int n, int w, int d, char* text, int capacity, int* length);
void plume_oracle_write_integers(const std::int32_t* values, int n, int w, char* text, int capacity, int* length);
}

namespace {

namespace fmt = plume::fmt;

constexpr std::size_t kBatch = 4096;

std::size_t hot_samples() {
  const char* env = std::getenv("PLUME_FORMAT_ORACLE_SAMPLES");
  if (env == nullptr) return 1000000;
  return std::max<std::size_t>(std::strtoull(env, nullptr, 10), 100);
}
std::size_t broad_samples() { return std::max<std::size_t>(hot_samples() / 50, 100); }

// The oracle's fields, one per value: fixed width w, or blank-separated F0 / I0.
std::vector<std::string> split_fields(std::string_view text, std::size_t count, int w) {
  std::vector<std::string> fields;
  fields.reserve(count);
  if (w > 0) {
    for (std::size_t i = 0; i < count; ++i) fields.emplace_back(text.substr(i * static_cast<std::size_t>(w), static_cast<std::size_t>(w)));
    return fields;
  }
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t blank = std::min(text.find(' ', pos), text.size());
    fields.emplace_back(text.substr(pos, blank - pos));
    pos = blank + 1;
  }
  return fields;
}

template <typename T, typename Oracle>
std::vector<std::string> oracle_fields(std::span<const T> values, int w, Oracle oracle) {
  const int capacity = static_cast<int>(values.size()) * std::max(w + 1, fmt::kMaxMinimalWidth);
  std::string text(static_cast<std::size_t>(capacity), '\0');
  int length = 0;
  oracle(values.data(), static_cast<int>(values.size()), text.data(), capacity, &length);
  text.resize(static_cast<std::size_t>(length));
  auto fields = split_fields(text, values.size(), w);
  EXPECT_EQ(fields.size(), values.size()) << "oracle output does not split into one field per value";
  fields.resize(values.size());
  return fields;
}

std::vector<std::string> oracle_reals(std::span<const float> values, int w, int d) {
  return oracle_fields(values, w, [w, d](const float* v, int n, char* text, int capacity, int* length) {
    plume_oracle_write_reals(v, n, w, d, text, capacity, length);
  });
}

std::vector<std::string> oracle_integers(std::span<const std::int32_t> values, int w) {
  return oracle_fields(values, w, [w](const std::int32_t* v, int n, char* text, int capacity, int* length) {
    plume_oracle_write_integers(v, n, w, text, capacity, length);
  });
}

std::string describe(float v) {
  std::ostringstream s;
  s << std::hexfloat << v << " (bits 0x" << std::hex << std::bit_cast<std::uint32_t>(v) << ")";
  return s.str();
}
std::string describe(std::int32_t v) { return std::to_string(v); }

// Counts disagreements and keeps the first few for the failure message.
class Mismatches {
 public:
  template <typename T>
  void check(T value, std::string_view expected, std::string_view got) {
    if (expected == got) return;
    if (++count_ <= 8) {
      report_ << "\n  " << describe(value) << ": gfortran \"" << expected << "\", library \"" << got << "\"";
    }
  }
  int count() const { return count_; }
  std::string report() const { return report_.str(); }

 private:
  int count_ = 0;
  std::ostringstream report_;
};

// Compares write(out, value) with the expected field of every value.
template <typename T, typename Expect, typename Writer>
void compare(std::span<const T> all, int w, Expect expect, Writer write, const std::string& what) {
  Mismatches mismatches;
  std::vector<char> buffer(static_cast<std::size_t>(std::max(w, fmt::kMaxMinimalWidth)), '\0');
  for (std::size_t first = 0; first < all.size(); first += kBatch) {
    const auto batch = all.subspan(first, std::min(kBatch, all.size() - first));
    const std::vector<std::string> expected = expect(batch);
    for (std::size_t i = 0; i < batch.size(); ++i) {
      const char* end = write(buffer.data(), batch[i]);
      mismatches.check(batch[i], expected[i], std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data())));
    }
  }
  EXPECT_EQ(mismatches.count(), 0) << what << ", " << all.size() << " values:" << mismatches.report();
}

std::string descriptor(char letter, int w, int d = -1) {
  std::string text(1, letter);
  text += std::to_string(w);
  if (d >= 0) text.append(".").append(std::to_string(d));
  return text;
}

void compare_fixed(std::span<const float> values, int w, int d) {
  compare(values, w, [w, d](std::span<const float> b) { return oracle_reals(b, w, d); },
          [w, d](char* out, float v) { return fmt::write_fixed(out, v, w, d); }, descriptor('F', w, d));
}

void compare_integer(std::span<const std::int32_t> values, int w) {
  compare(values, w, [w](std::span<const std::int32_t> b) { return oracle_integers(b, w); },
          [w](char* out, std::int32_t v) { return fmt::write_integer(out, v, w); }, descriptor('I', w));
}

// Where gfortran fills the field with asterisks an operand is the widest
// value of its sign that the field prints.
template <typename T>
std::vector<std::string> clamped(std::vector<std::string> fields, std::span<const T> values, std::string_view widest,
                                 std::string_view lowest) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].find('*') != std::string::npos) fields[i] = std::signbit(static_cast<double>(values[i])) ? lowest : widest;
  }
  return fields;
}

void compare_operand(std::span<const float> values, int w, int d, std::string_view widest, std::string_view lowest) {
  compare(values, w, [=](std::span<const float> b) { return clamped(oracle_reals(b, w, d), b, widest, lowest); },
          [w, d](char* out, float v) { return fmt::write_operand(out, v, w, d); }, "operand " + descriptor('F', w, d));
}

void compare_operand_integer(std::span<const std::int32_t> values, int w, std::string_view widest, std::string_view lowest) {
  compare(values, w, [=](std::span<const std::int32_t> b) { return clamped(oracle_integers(b, w), b, widest, lowest); },
          [w](char* out, std::int32_t v) { return fmt::write_operand_integer(out, v, w); }, "operand " + descriptor('I', w));
}

// The widest value of each sign that an operand field prints, or the
// field's asterisks when no value of that sign fits.
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

std::vector<float> finite_only(std::vector<float> values) {
  std::erase_if(values, [](float v) { return !std::isfinite(v); });
  return values;
}

// ---- Value sets -------------------------------------------------------------

class RealSampler {
 public:
  explicit RealSampler(std::uint64_t seed) : rng_(seed) {}

  // Any bit pattern: every exponent, subnormals, infinities and NaNs.
  void random_bits(std::vector<float>& out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(rng_())));
  }

  // Magnitudes spread evenly over the decades from well below the last
  // decimal to beyond the field, either sign.
  void decades(std::vector<float>& out, std::size_t n, int low_decade, int high_decade) {
    std::uniform_int_distribution<int> decade(low_decade, high_decade);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    for (std::size_t i = 0; i < n; ++i) {
      const double v = mantissa(rng_) * std::pow(10.0, decade(rng_));
      out.push_back(signed_value(static_cast<float>(v)));
    }
  }

  // Exact ties of d decimals (odd multiples of 2^-(d+1)) and their neighbours.
  void ties(std::vector<float>& out, std::size_t n, int d, double limit) {
    const std::uint64_t max_odd = static_cast<std::uint64_t>(std::min(limit * std::ldexp(1.0, d + 1), std::ldexp(1.0, 24) - 1));
    std::uniform_int_distribution<std::uint64_t> half(0, std::max<std::uint64_t>(max_odd / 2, 1));
    for (std::size_t i = 0; i < n; ++i) {
      const float tie = std::ldexp(static_cast<float>(2 * half(rng_) + 1), -(d + 1));
      out.push_back(signed_value(neighbour(tie, static_cast<int>(rng_() % 5) - 2)));
    }
  }

  // The floats nearest to decimal rounding boundaries (k + 1/2) * 10^-d,
  // a few ulps either side: the hardest cases for rounding.
  void near_ties(std::vector<float>& out, std::size_t n, int d, int high_decade) {
    std::uniform_int_distribution<int> decade(0, high_decade + d);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::size_t i = 0; i < n; ++i) {
      const double k = std::floor(unit(rng_) * std::pow(10.0, decade(rng_)));
      const auto nearest = static_cast<float>((k + 0.5) / std::pow(10.0, d));
      out.push_back(signed_value(neighbour(nearest, static_cast<int>(rng_() % 7) - 3)));
    }
  }

  // Around a value: the float itself and a few ulps either side, both signs.
  static void around(std::vector<float>& out, double v) {
    for (int step = -3; step <= 3; ++step) {
      const float f = neighbour(static_cast<float>(v), step);
      out.push_back(f);
      out.push_back(-f);
    }
  }

  // Powers of ten, field limits, zeros, tiny and huge values, non-finite.
  static void boundaries(std::vector<float>& out, int w, int d) {
    for (int k = -45; k <= 38; ++k) around(out, std::pow(10.0, k));
    const int digits = std::max(w, 12) - d - 1;
    for (int k = 0; k <= digits; ++k) {
      around(out, std::pow(10.0, k) - 0.5 * std::pow(10.0, -d));  // rounds up to the next decade
      around(out, std::pow(10.0, k) - std::pow(10.0, -d));
    }
    const float specials[] = {0.0f, std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(),
                              std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN(), std::bit_cast<float>(0x7f800001u),
                              1e-4f, 5e-4f, 4.9999e-4f, 0.5f, 0.25f, 0.125f, 0.0625f};
    for (float s : specials) {
      out.push_back(s);
      out.push_back(-s);
    }
  }

 private:
  static float neighbour(float v, int steps) {
    for (; steps > 0; --steps) v = std::nextafter(v, std::numeric_limits<float>::infinity());
    for (; steps < 0; ++steps) v = std::nextafter(v, -std::numeric_limits<float>::infinity());
    return v;
  }
  float signed_value(float v) { return (rng_() & 1) != 0 ? -v : v; }

  std::mt19937_64 rng_;
};

// n values for Fw.d: a fifth each of bit patterns, decades, ties and near
// ties, the rest in the field; then the boundaries.
std::vector<float> real_sample(int w, int d, std::size_t n, std::uint64_t seed) {
  RealSampler sampler(seed * 1000003u + static_cast<std::uint64_t>(w * 10 + d));
  const int width = w == 0 ? 20 : w;  // F0.d is unbounded: look at realistic sizes
  const int high_decade = std::max(width - d - 1, 1);
  std::vector<float> values;
  values.reserve(n + 2000);
  sampler.random_bits(values, n / 5);
  sampler.decades(values, n / 5, -d - 3, high_decade);
  sampler.ties(values, n / 5, d, std::pow(10.0, high_decade));
  sampler.near_ties(values, n / 5, d, high_decade);
  sampler.decades(values, n - values.size(), -1, high_decade - 1);
  RealSampler::boundaries(values, width, d);
  return values;
}

std::vector<std::int32_t> integer_sample(std::size_t n, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::vector<std::int32_t> values;
  values.reserve(n + 100);
  for (std::size_t i = 0; i < n / 2; ++i) values.push_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(rng())));
  std::uniform_int_distribution<int> digits(0, 10);
  while (values.size() < n) {
    const std::int64_t magnitude = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(std::pow(10.0, digits(rng))));
    values.push_back(static_cast<std::int32_t>((rng() & 1) != 0 ? -std::min<std::int64_t>(magnitude, 2147483648LL)
                                                                   : std::min<std::int64_t>(magnitude, 2147483647LL)));
  }
  for (std::int64_t p = 1; p <= 1000000000; p *= 10) {
    for (std::int64_t v : {p - 1, p, p + 1}) {
      values.push_back(static_cast<std::int32_t>(v));
      values.push_back(static_cast<std::int32_t>(-v));
    }
  }
  values.push_back(std::numeric_limits<std::int32_t>::min());
  values.push_back(std::numeric_limits<std::int32_t>::max());
  return values;
}

// ---- The descriptors of the document ---------------------------------------

TEST(FormatOracle, F11_3MatchesGfortran) {
  const auto values = real_sample(11, 3, hot_samples(), 1);
  compare_fixed(values, 11, 3);
}

TEST(FormatOracle, F11_3OperandsMatchGfortranOrClamp) {
  const auto values = finite_only(real_sample(11, 3, hot_samples(), 2));
  compare_operand(values, 11, 3, "9999999.999", "-999999.999");
}

TEST(FormatOracle, F10_3OperandsMatchGfortranOrClamp) {
  const auto values = finite_only(real_sample(10, 3, hot_samples(), 10));
  compare_operand(values, 10, 3, "999999.999", "-99999.999");
}

TEST(FormatOracle, F5_2MatchesGfortran) {
  const auto values = real_sample(5, 2, hot_samples(), 3);
  compare_fixed(values, 5, 2);
}

TEST(FormatOracle, F5_2OperandsMatchGfortranOrClamp) {
  const auto values = finite_only(real_sample(5, 2, hot_samples(), 4));
  compare_operand(values, 5, 2, "99.99", "-9.99");
}

TEST(FormatOracle, I5MatchesGfortran) {
  const auto values = integer_sample(hot_samples(), 5);
  compare_integer(values, 5);
}

TEST(FormatOracle, I5OperandsMatchGfortranOrClamp) {
  const auto values = integer_sample(hot_samples(), 6);
  compare_operand_integer(values, 5, "99999", "-9999");
}

// ---- Whole records of operands ----------------------------------------------

// A record of fields in a row, as gfortran writes it with the fields'
// descriptors, except that a field whose value fills it keeps one blank
// before it (gfortran glues it to the field before) and a value beyond the
// field is clamped (gfortran prints asterisks).
std::string expected_record(std::string_view lead, std::span<const std::string> fields) {
  std::string record(lead);
  for (const auto& field : fields) {
    if (!record.empty() && record.back() != ' ' && field.front() != ' ') record += ' ';
    record += field;
  }
  return record;
}

template <typename T, typename Add>
void compare_records(std::span<const T> values, std::size_t per_record, std::vector<std::string> fields,
                     std::string_view lead, Add add, const std::string& what) {
  Mismatches mismatches;
  for (std::size_t first = 0; first + per_record <= values.size(); first += per_record) {
    plume::device::Record r;
    r.text(lead);
    for (std::size_t k = 0; k < per_record; ++k) add(r, values[first + k]);
    const std::string expected =
        expected_record(lead, std::span<const std::string>(fields).subspan(first, per_record));
    mismatches.check(values[first], expected, r.view());
  }
  EXPECT_EQ(mismatches.count(), 0) << what << ":" << mismatches.report();
}

TEST(FormatOracle, PathRecordsKeepFullFieldsApartAndClampOnlyBeyondTheField) {
  std::vector<float> values = finite_only(real_sample(11, 3, broad_samples() * 4, 21));
  // Around where gfortran's second field glues to the first.
  for (const float edge : {-100000.0f, -99999.9995f, 1000000.0f, 999999.9995f, -1000000.0f, 10000000.0f}) {
    for (const float v : {std::nextafter(edge, -1e30f), edge, std::nextafter(edge, 1e30f)}) {
      values.push_back(v);
      values.push_back(1.0f);  // as x, and below as y
      values.push_back(v);
    }
  }
  if (values.size() % 2 != 0) values.pop_back();
  compare_records(std::span<const float>(values), 2, clamped(oracle_reals(values, 11, 3), std::span<const float>(values), "9999999.999", "-999999.999"),
                  "", [](plume::device::Record& r, float v) { r.real(v, 11, 3); }, "(2f11.3)");
}

TEST(FormatOracle, ColourRecordsKeepFullFieldsApartAndClampOnlyBeyondTheField) {
  std::vector<float> values = finite_only(real_sample(5, 2, broad_samples() * 3, 22));
  values.resize(values.size() / 3 * 3);
  compare_records(std::span<const float>(values), 3, clamped(oracle_reals(values, 5, 2), std::span<const float>(values), "99.99", "-9.99"),
                  "", [](plume::device::Record& r, float v) { r.real(v, 5, 2); }, "(3f5.2)");
}

TEST(FormatOracle, BoxRecordsKeepFullFieldsApartAndClampOnlyBeyondTheField) {
  std::vector<std::int32_t> values = integer_sample(broad_samples() * 4, 23);
  values.resize(values.size() / 4 * 4);
  compare_records(std::span<const std::int32_t>(values), 4, clamped(oracle_integers(values, 5), std::span<const std::int32_t>(values), "99999", "-9999"),
                  "%%BoundingBox:", [](plume::device::Record& r, std::int32_t v) { r.integer(v, 5); }, "(a,4i5)");
}

// ---- Every width and decimal count that number can ask for ------------------

TEST(FormatOracle, EveryFixedDescriptorMatchesGfortran) {
  for (int w = 0; w <= 45; ++w) {
    for (int d = 0; d <= 9; ++d) {
      const auto values = real_sample(w, d, broad_samples(), 7);
      compare_fixed(values, w, d);
    }
  }
}

TEST(FormatOracle, WideFieldsWriteEveryDigitOfTheBinaryValue) {
  // Up to 39 integer digits (3.4e38) and 9 decimals of subnormals.
  for (int w : {50, 55, 60}) {
    for (int d : {0, 1, 5, 9}) {
      const auto values = real_sample(w, d, broad_samples(), 8);
      compare_fixed(values, w, d);
    }
  }
}

TEST(FormatOracle, EveryOperandFieldMatchesGfortranOrClamps) {
  for (int w = 1; w <= 22; ++w) {
    for (int d = 0; d <= std::min(w, 9); ++d) {
      // Fields that cannot print a value of a sign keep gfortran's asterisks.
      const std::string high = widest(w, d, false), low = widest(w, d, true);
      const auto values = finite_only(real_sample(w, d, broad_samples() / 2, 11));
      compare_operand(values, w, d, high, low);
    }
  }
}

TEST(FormatOracle, EveryIntegerDescriptorMatchesGfortran) {
  for (int w = 0; w <= 12; ++w) {
    const auto values = integer_sample(broad_samples(), 9 + static_cast<std::uint64_t>(w));
    compare_integer(values, w);
  }
}

}  // namespace
