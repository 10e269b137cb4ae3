// Numeric input conversions with the rules of Fortran formatted input as the
// gfortran runtime applies them:
//
// - read_real_field: an F edit descriptor Fw.d on the characters of one field
//   (already cut to the field; a record that ends early gives a shorter one).
//   Blanks are ignored; without a decimal point the last d digits are the
//   fraction; the exponent is E, D or Q with an optional sign, or a sign
//   alone ("1.5-3"); an empty or all-blank field is 0; "Inf", "Infinity"
//   and "NaN" are accepted. Unlike the runtime, a field with no digit
//   before its exponent ("-", ".", "-.", "E5", "--1") is not a number.
// - read_integer_field: an I edit descriptor on one field.
// - read_list_real: one real value of list-directed input.
//
// Every value is rounded correctly to single precision: the digits are
// normalised into one decimal string and converted once (implied decimals
// shift the decimal exponent, they are never applied by a division).
#pragma once

#include <cstdint>
#include <string_view>

namespace traceplot {

enum class ReadStatus {
  ok,
  not_a_number,    // a character the descriptor does not accept
  exponent_range,  // the decimal exponent, implied decimals included, beyond 9999
  too_large,       // an integer beyond 32 bits
};

struct RealRead {
  float value = 0.0f;
  ReadStatus status = ReadStatus::ok;
};

struct IntegerRead {
  std::int32_t value = 0;
  ReadStatus status = ReadStatus::ok;
};

// The float nearest to (negative ? -1 : 1) x digits x 10^exponent, ties to
// even; digits are decimal digits (leading zeros allowed, may be empty = 0).
// Overflow gives an infinity, underflow a zero, both with the sign.
float decimal_to_float(bool negative, std::string_view digits, std::int64_t exponent);

// 10^0 .. 10^10, each exact in single precision.
inline constexpr float kFloatPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The shape nearly every sample field has: leading blanks, an optional sign,
// then digits to the end of the field, at most 2^24 with at most 10 implied
// decimals. The digits are then an exact float and so is the power of ten,
// and one IEEE division is correctly rounded. False for any other field.
inline bool read_plain_field(std::string_view f, int implied_decimals, float& value) {
  const char* p = f.data();
  const char* const end = p + f.size();
  while (p != end && *p == ' ') ++p;
  if (p == end) return false;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  if (p == end || end - p > 9) return false;  // nine digits or fewer fit 32 bits
  std::uint32_t m = 0;
  for (; p != end; ++p) {
    const auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(*p)) - '0';
    if (digit > 9) return false;
    m = m * 10 + digit;
  }
  if (m > (1u << 24) || implied_decimals < 0 || implied_decimals > 10) return false;
  const float magnitude = static_cast<float>(m) / kFloatPowersOfTen[implied_decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

// Every other field: exponents, decimal points, inner blanks, long digit strings.
RealRead read_real_field_in_general(std::string_view field, int implied_decimals);

inline RealRead read_real_field(std::string_view field, int implied_decimals) {
  if (float value; read_plain_field(field, implied_decimals, value)) [[likely]] return {value};
  return read_real_field_in_general(field, implied_decimals);
}
IntegerRead read_integer_field(std::string_view field);

// List-directed value separators: blank, tab, carriage return, comma,
// slash, semicolon (and the end of the line, which the caller handles).
inline bool is_list_separator(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == ',' || c == '/' || c == ';';
}

// A list-directed real: the characters of one value up to (not including)
// its separator, as in "-1.5", "2.5e-3", "1.5+3", "inf", "nan(0)" or "7.".
RealRead read_list_real(std::string_view token);

}  // namespace traceplot
