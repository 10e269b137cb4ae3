// Fw.d and Iw without the printf family.
//
// A finite float is m * 2^e with m < 2^24 and -149 <= e <= 104, so its value
// scaled by 10^d and rounded to an integer is computed exactly in integer
// arithmetic: for e >= 0 the value is the integer m * 2^e (< 2^128) and the
// decimals are zeros; for e < 0, m * 10^d (< 2^91 for d <= 20) shifted right
// by -e bits, rounded half to even on the bits shifted out. Operand fields of
// up to 20 characters do the same in 64 bits (m * 10^d < 2^54 for d <= 9).
#include "device/format.hpp"
#include "device/path_operands.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>

namespace plume::fmt {
namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr uint64_t kTen19 = 10000000000000000000ull;

constexpr uint128 power_of_ten(int n) {
  uint128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

char* fill(char* out, int n, char c) {
  std::memset(out, c, static_cast<std::size_t>(n));
  return out + n;
}

char* copy(char* out, const char* begin, const char* end) {
  const auto n = static_cast<std::size_t>(end - begin);
  std::memcpy(out, begin, n);
  return out + n;
}

// Writes n in decimal so that it ends just before `end`, two digits at a
// time; at least one digit. Returns the first digit written.
inline char* write_backward(char* end, uint64_t n) {
  while (n >= 100) {
    const auto pair = static_cast<std::size_t>(n % 100) * 2;
    n /= 100;
    end -= 2;
    std::memcpy(end, kDigitPairs + pair, 2);
  }
  if (n >= 10) {
    end -= 2;
    std::memcpy(end, kDigitPairs + static_cast<std::size_t>(n) * 2, 2);
  } else {
    *--end = static_cast<char>('0' + n);
  }
  return end;
}

// Zero-fills from `target` up to `start` when `target` lies before it.
char* pad_to(char* start, char* target) {
  if (target >= start) return start;
  std::memset(target, '0', static_cast<std::size_t>(start - target));
  return target;
}

// Writes n backward, zero-padded to at least min_digits digits; n = 0 with
// min_digits = 0 writes nothing. Returns the first digit written.
char* write_backward_padded(char* end, uint128 n, int min_digits) {
  char* start = end;
  while (n > UINT64_MAX) {
    const auto low = static_cast<uint64_t>(n % kTen19);
    n /= kTen19;
    start = pad_to(write_backward(start, low), start - 19);
  }
  if (n != 0) start = write_backward(start, static_cast<uint64_t>(n));
  return pad_to(start, end - min_digits);
}

struct Binary {
  bool negative;
  bool finite;
  bool nan;
  uint32_t mantissa;  // |value| = mantissa * 2^exponent
  int exponent;
};

Binary decompose(float value) {
  const auto bits = std::bit_cast<uint32_t>(value);
  const auto biased = static_cast<int>((bits >> 23) & 0xffu);
  const uint32_t fraction = bits & 0x7fffffu;
  Binary b{};
  b.negative = (bits >> 31) != 0;
  b.finite = biased != 0xff;
  b.nan = !b.finite && fraction != 0;
  b.mantissa = biased != 0 ? (fraction | 0x800000u) : fraction;
  b.exponent = (biased != 0 ? biased : 1) - 150;
  return b;
}

// x / 2^shift rounded to the nearest integer, ties to even.
uint128 shift_right_rounded(uint128 x, int shift) {
  if (shift >= 127) return 0;  // x < 2^100: far below one half
  const uint128 q = x >> shift;
  const uint128 rest = x - (q << shift);
  const uint128 half = uint128{1} << (shift - 1);
  return q + ((rest > half || (rest == half && (q & 1) != 0)) ? 1 : 0);
}

// Writes "[integer digits].[d decimals]" of |value| rounded to d decimals,
// ending just before `end`; no integer digit when the integer part is 0.
char* write_magnitude_backward(char* end, const Binary& b, int d) {
  uint128 integer = 0;
  uint128 decimals = 0;
  if (b.exponent >= 0) {
    integer = uint128{b.mantissa} << b.exponent;
  } else {
    const uint128 scale = power_of_ten(d);
    const uint128 scaled = shift_right_rounded(uint128{b.mantissa} * scale, -b.exponent);
    integer = scaled / scale;
    decimals = scaled % scale;
  }
  char* start = write_backward_padded(end, decimals, d);
  *--start = '.';
  return write_backward_padded(start, integer, 0);
}

char* write_non_finite(char* out, const Binary& b, int w) {
  std::string_view text = "NaN";
  if (!b.nan && b.negative) text = w < 9 ? "-Inf" : "-Infinity";  // w = 0 included
  if (!b.nan && !b.negative) text = w < 8 ? "Inf" : "Infinity";
  const int len = static_cast<int>(text.size());
  if (w == 0) return copy(out, text.data(), text.data() + len);
  if (len > w) return fill(out, w, '*');
  out = fill(out, w - len, ' ');
  return copy(out, text.data(), text.data() + len);
}

}  // namespace

char* write_fixed(char* out, float value, int w, int d) {
  if (w < 0) return out;
  d = std::max(d, 0);
  if (d > kMaxDecimals) return fill(out, w == 0 ? 1 : w, '*');
  const Binary b = decompose(value);
  if (!b.finite) return write_non_finite(out, b, w);

  char buffer[kMaxMinimalWidth];
  char* const end = buffer + sizeof buffer;
  const char* const body = write_magnitude_backward(end, b, d);
  const int body_len = static_cast<int>(end - body);
  const bool integer_zero = body[0] == '.';
  // Fortran needs at least one digit: with d = 0 a zero integer part is "0.".
  const bool zero_required = integer_zero && d == 0;
  const int need = (b.negative ? 1 : 0) + (zero_required ? 1 : 0) + body_len;
  bool zero = zero_required;
  if (w != 0) {
    if (need > w) return fill(out, w, '*');
    zero = zero || (integer_zero && need < w);
    out = fill(out, w - need - (zero && !zero_required ? 1 : 0), ' ');
  }
  if (b.negative) *out++ = '-';
  if (zero) *out++ = '0';
  return copy(out, body, end);
}

char* write_integer(char* out, std::int32_t value, int w) {
  if (w < 0) return out;
  const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  char buffer[12];
  char* const end = buffer + sizeof buffer;
  char* start = write_backward(end, magnitude);
  if (value < 0) *--start = '-';
  const int len = static_cast<int>(end - start);
  if (w != 0) {
    if (len > w) return fill(out, w, '*');
    out = fill(out, w - len, ' ');
  }
  return copy(out, start, end);
}

namespace {

constexpr uint64_t kPowersOfTen[20] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull,
                                       100000000ull, 1000000000ull, 10000000000ull, 100000000000ull,
                                       1000000000000ull, 10000000000000ull, 100000000000000ull,
                                       1000000000000000ull, 10000000000000000ull, 100000000000000000ull,
                                       1000000000000000000ull, 10000000000000000000ull};

// The operand fields that take the short road: every value that fits leaves
// room for a sign and the 0 before the point, and the field's digits fit in
// 64 bits.
constexpr bool is_short_operand(int w, int d) { return d >= 0 && d <= 9 && w >= d + 3 && w <= 20; }

// |value| * 10^d rounded half to even, from the exact binary value; the
// mantissa times 10^d is below 2^54. Saturates at UINT64_MAX.
inline uint64_t scaled_rounded(const Binary& b, int d) {
  const uint64_t scaled = uint64_t{b.mantissa} * kPowersOfTen[d];
  if (b.exponent >= 0) {
    const bool overflows = b.exponent >= 64 || scaled > (UINT64_MAX >> b.exponent);
    return overflows ? UINT64_MAX : scaled << b.exponent;
  }
  if (b.exponent < -63) return 0;  // the scaled value is below 2^-10
  const int shift = -b.exponent;
  const uint64_t q = scaled >> shift;
  const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
  const uint64_t half = uint64_t{1} << (shift - 1);
  return q + ((rest > half || (rest == half && (q & 1) != 0)) ? 1 : 0);
}

// write_operand for a finite value in a short operand field. Inlined with
// constant w and d for the fields of the document, so that the divisions
// by powers of ten become multiplications.
[[gnu::always_inline]] inline char* write_short_operand(char* out, const Binary& b, int w, int d) {
  // The widest values the field prints: w - 1 (w - 2 with a sign) nines.
  const uint64_t n = std::min(scaled_rounded(b, d), kPowersOfTen[w - (b.negative ? 2 : 1)] - 1);
  std::memset(out, ' ', static_cast<std::size_t>(w));
  char* p = out + w;
  uint64_t decimals = n % kPowersOfTen[d];
  for (int left = d; left > 0; left -= 2) {
    if (left == 1) {
      *--p = static_cast<char>('0' + decimals);
      break;
    }
    p -= 2;
    std::memcpy(p, kDigitPairs + (decimals % 100) * 2, 2);
    decimals /= 100;
  }
  *--p = '.';
  p = write_backward(p, n / kPowersOfTen[d]);
  if (b.negative) *--p = '-';
  return out + w;
}

}  // namespace

char* write_path_operands(char* out, float x, float y) {
  if (!std::isfinite(x) || !std::isfinite(y)) {
    out = write_operand(out, x, 11, 3);
    *out++ = ' ';
    return write_operand(out, y, 10, 3);
  }
  bool clamped;
  return path::write_finite_path_operands(out, x, y, clamped);
}

char* write_operand_f11_3(char* out, float value) {
  const Binary b = decompose(value);
  if (!b.finite) return write_fixed(out, value, 11, 3);
  return write_short_operand(out, b, 11, 3);
}

char* write_operand(char* out, float value, int w, int d) {
  const Binary b = decompose(value);
  if (b.finite && is_short_operand(w, d)) {
    if (w == 11 && d == 3) return write_short_operand(out, b, 11, 3);
    if (w == 10 && d == 3) return write_short_operand(out, b, 10, 3);
    if (w == 5 && d == 2) return write_short_operand(out, b, 5, 2);
    return write_short_operand(out, b, w, d);
  }
  char* end = write_fixed(out, value, w, d);
  if (w <= 0 || out[0] != '*' || !b.finite || d > kMaxDecimals) return end;
  d = std::max(d, 0);
  const int integer_digits = w - d - 1 - (b.negative ? 1 : 0);
  if (integer_digits < (d == 0 ? 1 : 0)) return end;  // no value of this sign fits
  char* p = out;
  if (b.negative) *p++ = '-';
  p = fill(p, integer_digits, '9');
  *p++ = '.';
  return fill(p, d, '9');
}

char* write_operand_integer(char* out, std::int32_t value, int w) {
  char* end = write_integer(out, value, w);
  if (w <= 0 || out[0] != '*' || (value < 0 && w < 2)) return end;
  char* p = out;
  if (value < 0) *p++ = '-';
  return fill(p, value < 0 ? w - 1 : w, '9');
}

}  // namespace plume::fmt
