// The operands of a path line ("(2f11.3,a)", the y field kept one blank
// apart): the hot path of the whole library, inlined into the pen motion
// writer. Byte for byte what write_operand writes for f11.3 and f10.3.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace plume::fmt::path {

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

// Integer parts 0..999 right-aligned in seven places, blank-filled (the
// eighth byte is overwritten by the point), and the place of the first digit.
struct SmallIntegers {
  char text[1000][8];
  std::int8_t first[1000];
};
constexpr SmallIntegers make_small_integers() {
  SmallIntegers t{};
  for (int i = 0; i < 1000; ++i) {
    for (char& c : t.text[i]) c = ' ';
    t.text[i][4] = i >= 100 ? static_cast<char>('0' + i / 100) : ' ';
    t.text[i][5] = i >= 10 ? static_cast<char>('0' + i / 10 % 10) : ' ';
    t.text[i][6] = static_cast<char>('0' + i % 10);
    t.first[i] = static_cast<std::int8_t>(i >= 100 ? 4 : i >= 10 ? 5 : 6);
  }
  return t;
}
constexpr SmallIntegers kSmallIntegers = make_small_integers();

// |value| * 1000 rounded to an integer, ties to even, clamped to `widest`.
// A float times 1000 is exact in double precision (24 + 10 bits of
// mantissa), and adding and removing 1.5 * 2^52 rounds it, ties to even,
// for values below 2^51.
inline uint64_t thousandths(float value, uint64_t widest) {
  const double scaled = std::fabs(static_cast<double>(value)) * 1000.0;
  if (!(scaled < static_cast<double>(widest))) return widest;
  constexpr double kRound = 6755399441055744.0;  // 1.5 * 2^52
  const double rounded = scaled + kRound;         // not folded: IEEE arithmetic is kept
  return static_cast<uint64_t>(rounded - kRound);
}

// An f<w>.3 operand (w <= 12) whose seven places before the decimals start
// at `places` (for w < 11 the leading places belong to what precedes the
// field and must be blanks already or may become blanks).
[[gnu::always_inline]] inline void write_path_operand(char* places, float value, int w) {
  // w is 11 or 10: the fields of a path line.
  const bool negative = std::signbit(value);
  const uint64_t n = thousandths(value, (w == 11 ? (negative ? 999999999ull : 9999999999ull) : (negative ? 99999999ull : 999999999ull)));
  const uint64_t integer = n / 1000;
  char* first;
  if (integer < 1000) [[likely]] {
    std::memcpy(places, kSmallIntegers.text[integer], 8);
    first = places + kSmallIntegers.first[integer];
  } else {
    std::memset(places + 11 - w, ' ', static_cast<std::size_t>(w - 4));
    first = places + 7;
    for (uint64_t rest = integer; rest != 0; rest /= 10) *--first = static_cast<char>('0' + rest % 10);
  }
  std::memcpy(places + 7, kPointAndDecimals.text[n - integer * 1000], 4);
  if (negative) first[-1] = '-';
}

// x in f11.3, a blank and y in f10.3: 22 characters. Both finite.
inline char* write_finite_path_operands(char* out, float x, float y) {
  write_path_operand(out, x, 11);
  write_path_operand(out + 11, y, 10);  // its first place is the separating blank
  out[11] = ' ';
  return out + 22;
}

}  // namespace plume::fmt::path
