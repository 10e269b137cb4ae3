// The operands of a path line ("(2f11.3,a)", a y field that fills its
// place kept one blank apart): the hot path of the whole library, inlined
// into the pen motion writer. Byte for byte what the Record writes for two
// f11.3 fields.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace plume::fmt::path {

using std::uint32_t;
using std::uint64_t;

// ".ddd" for every three-digit decimal part: one copy writes the point and
// the decimals of a path operand.
struct PointAndDecimals {
  char text[1000][4];
};
constexpr PointAndDecimals make_point_and_decimals() {
  PointAndDecimals t{};
  for (int i = 0; i < 1000; ++i) {
    t.text[i][0] = '.';
    t.text[i][1] = static_cast<char>('0' + i / 100);
    t.text[i][2] = static_cast<char>('0' + i / 10 % 10);
    t.text[i][3] = static_cast<char>('0' + i % 10);
  }
  return t;
}
constexpr PointAndDecimals kPointAndDecimals = make_point_and_decimals();

// The integers 0..999 right-aligned in seven places, blank-filled, with a
// minus sign before the first digit in the second half (the eighth byte,
// which the point overwrites, holds the place of the first digit).
struct SmallIntegers {
  char text[2][1000][8];  // [negative][integer part]
};
constexpr SmallIntegers make_small_integers() {
  SmallIntegers t{};
  for (int negative = 0; negative < 2; ++negative) {
    for (int i = 0; i < 1000; ++i) {
      char* text = t.text[negative][i];
      for (int k = 0; k < 8; ++k) text[k] = ' ';
      text[4] = i >= 100 ? static_cast<char>('0' + i / 100) : ' ';
      text[5] = i >= 10 ? static_cast<char>('0' + i / 10 % 10) : ' ';
      text[6] = static_cast<char>('0' + i % 10);
      const int first = i >= 100 ? 4 : i >= 10 ? 5 : 6;
      if (negative) text[first - 1] = '-';
      text[7] = static_cast<char>(first);
    }
  }
  return t;
}
constexpr SmallIntegers kSmallIntegers = make_small_integers();

// Adding 1.5 * 2^52 to a non-negative double below 2^51 rounds it to an
// integer, ties to even, and leaves that integer in the low mantissa bits.
constexpr double kRound = 6755399441055744.0;

// |value| * 1000 rounded to an integer, ties to even, clamped to `widest`;
// `clamped` tells whether it had to be.
// A float times 1000 is exact in double precision (24 + 10 bits of mantissa).
inline uint64_t thousandths(float value, uint64_t widest, bool& clamped) {
  const double scaled = std::fabs(static_cast<double>(value)) * 1000.0;
  // A tie at widest + 0.5 rounds to the even value beyond it.
  clamped = !(scaled < static_cast<double>(widest) + 0.5);
  if (clamped) return widest;
  const double rounded = scaled + kRound;  // not folded: IEEE arithmetic is kept
  return static_cast<uint64_t>(rounded - kRound);
}

// An operand whose magnitude rounds below 1000 (|value| * 1000 below
// 999999.5, given as `scaled`): seven places, the point and three decimals
// at `places`, the places before the first digit blank, a sign if negative.
[[gnu::always_inline]] inline void write_small_operand(char* places, double scaled, bool negative) {
  const auto n = static_cast<uint32_t>(std::bit_cast<uint64_t>(scaled + kRound));
  const uint32_t integer = n / 1000;
  std::memcpy(places, kSmallIntegers.text[negative][integer], 8);
  std::memcpy(places + 7, kPointAndDecimals.text[n - integer * 1000], 4);
}

// An f11.3 operand of any finite magnitude, 11 characters at `field`; a
// value beyond the field is clamped to the widest it prints (9999999.999,
// -999999.999). Returns whether it was.
inline bool write_path_operand(char* field, float value) {
  const bool negative = std::signbit(value);
  bool clamped;
  const uint64_t n = thousandths(value, negative ? 999999999ull : 9999999999ull, clamped);
  const uint64_t integer = n / 1000;
  char* first;
  if (integer < 1000) {
    std::memcpy(field, kSmallIntegers.text[0][integer], 8);
    first = field + kSmallIntegers.text[0][integer][7];
  } else {
    std::memset(field, ' ', 7);
    first = field + 7;
    for (uint64_t rest = integer; rest != 0; rest /= 10) *--first = static_cast<char>('0' + rest % 10);
  }
  std::memcpy(field + 7, kPointAndDecimals.text[n - integer * 1000], 4);
  if (negative) first[-1] = '-';
  return clamped;
}

// x and y in f11.3 fields, both finite: 22 characters, or 23 where y fills
// its field (from -100000 or 1000000 on), which then keeps a blank before
// it. `clamped` is set when an operand was beyond its field.
[[gnu::always_inline]] inline char* write_finite_path_operands(char* out, float x, float y, bool& clamped) {
  const double sx = std::fabs(static_cast<double>(x)) * 1000.0;
  const double sy = std::fabs(static_cast<double>(y)) * 1000.0;
  // Page points below 1000 in magnitude: nearly every line of every document.
  if (sx < 999999.5 && sy < 999999.5) [[likely]] {
    write_small_operand(out, sx, std::signbit(x));
    write_small_operand(out + 11, sy, std::signbit(y));  // its first place is the separating blank
    clamped = false;
    return out + 22;
  }
  clamped = write_path_operand(out, x);
  char field[11];
  clamped = write_path_operand(field, y) || clamped;
  out += 11;
  if (field[0] != ' ') *out++ = ' ';
  std::memcpy(out, field, 11);
  return out + 11;
}

}  // namespace plume::fmt::path
