#include "device/format.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace plume::fmt {
namespace {

char* fill(char* out, int n, char c) {
  std::memset(out, c, static_cast<std::size_t>(n));
  return out + n;
}

// The digits of |value| rounded to d decimals, with sign, as [-]int.frac,
// the integer part "0" kept.
int exact_digits(char* buf, std::size_t size, float value, int d) {
  return std::snprintf(buf, size, "%.*f", d, static_cast<double>(value));
}

}  // namespace

char* write_fixed(char* out, float value, int w, int d) {
  if (d < 0) d = 0;
  if (!std::isfinite(value)) {
    // gfortran writes Infinity / NaN right-aligned, or asterisks.
    const char* text = std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
    if (std::isinf(value) && value > 0 && w > 0 && w < 8) text = "Inf";
    if (std::isinf(value) && value < 0 && w > 0 && w < 9) text = "-Inf";
    const int len = static_cast<int>(std::strlen(text));
    if (w == 0) return static_cast<char*>(std::memcpy(out, text, len)) + len;
    if (len > w) return fill(out, w, '*');
    out = fill(out, w - len, ' ');
    return static_cast<char*>(std::memcpy(out, text, len)) + len;
  }
  char buf[400];
  int len = exact_digits(buf, sizeof buf, value, d);
  if (d == 0) buf[len++] = '.';  // Fortran always writes the point
  const char* start = buf;
  // snprintf drops the sign of a negative value that rounds to zero only
  // for -0.0 itself; Fortran keeps it in both cases.
  bool negative = std::signbit(value);
  if (buf[0] == '-') {
    ++start;
    --len;
  }
  const int sign_len = negative ? 1 : 0;
  const bool leading_zero = start[0] == '0' && len > 1 && start[1] == '.';
  int need = len + sign_len;
  if (w == 0) {
    char* p = out;
    if (negative) *p++ = '-';
    std::memcpy(p, start, static_cast<std::size_t>(len));
    return p + len;
  }
  if (need > w && leading_zero) {
    ++start;
    --len;
    need = len + sign_len;
  }
  if (need > w) return fill(out, w, '*');
  out = fill(out, w - need, ' ');
  if (negative) *out++ = '-';
  std::memcpy(out, start, static_cast<std::size_t>(len));
  return out + len;
}

char* write_integer(char* out, std::int32_t value, int w) {
  char buf[16];
  const int len = std::snprintf(buf, sizeof buf, "%d", value);
  if (w == 0) {
    std::memcpy(out, buf, static_cast<std::size_t>(len));
    return out + len;
  }
  if (len > w) return fill(out, w, '*');
  out = fill(out, w - len, ' ');
  std::memcpy(out, buf, static_cast<std::size_t>(len));
  return out + len;
}

char* write_operand(char* out, float value, int w, int d) {
  char* end = write_fixed(out, value, w, d);
  if (w <= 0 || out[0] != '*') return end;
  // Clamp: the widest value the field prints, all nines.
  const int int_digits_pos = w - d - 1;
  const int int_digits = value < 0 ? int_digits_pos - 1 : int_digits_pos;
  char* p = out;
  if (value < 0) *p++ = '-';
  p = fill(p, int_digits, '9');
  *p++ = '.';
  return fill(p, d, '9');
}

char* write_operand_integer(char* out, std::int32_t value, int w) {
  char* end = write_integer(out, value, w);
  if (w <= 0 || out[0] != '*') return end;
  char* p = out;
  if (value < 0) *p++ = '-';
  return fill(p, value < 0 ? w - 1 : w, '9');
}

}  // namespace plume::fmt
