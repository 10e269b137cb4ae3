#include "driver/numeric_input.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace traceplot {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_exponent_letter(char c) {
  return c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q';
}
char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool is_alnum_ascii(char c) {
  const char l = lower_ascii(c);
  return is_digit(c) || (l >= 'a' && l <= 'z');
}

// Beyond any exponent that can still matter; keeps the arithmetic in range.
constexpr std::int64_t kExponentCap = 1'000'000'000'000LL;
void accumulate_exponent(std::int64_t& exponent, char digit) {
  exponent = exponent * 10 + (digit - '0');
  if (exponent > kExponentCap) exponent = kExponentCap;
}

// The significant digits of a number as they are read: leading zeros are
// dropped at once, so a field of any length costs no allocation unless it
// holds more than kInline significant digits.
class Digits {
 public:
  void push(char c) {
    if (size_ == 0 && c == '0') return;
    if (size_ < kInline) {
      inline_[size_++] = c;
      return;
    }
    if (size_ == kInline) spill_.assign(inline_, kInline);
    spill_.push_back(c);
    ++size_;
  }
  std::string_view view() const {
    return size_ <= kInline ? std::string_view(inline_, size_) : std::string_view(spill_);
  }

 private:
  static constexpr std::size_t kInline = 40;
  char inline_[kInline];
  std::size_t size_ = 0;
  std::string spill_;
};

float signed_infinity(bool negative) {
  return negative ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
}
float signed_zero(bool negative) { return negative ? -0.0f : 0.0f; }
float signed_nan(bool negative) {
  return std::copysign(std::numeric_limits<float>::quiet_NaN(), negative ? -1.0f : 1.0f);
}

constexpr RealRead kNotANumber{0.0f, ReadStatus::not_a_number};

// "Inf", "Infinity" or "NaN" in an F field, after the sign: the word ends at
// a blank or "(", whatever alphanumerics follow; "NaN" may carry one
// parenthesised group.
RealRead read_field_inf_nan(std::string_view rest, bool negative) {
  char word[9];
  std::size_t length = 0;
  bool word_ended = false;
  int parens = 0;
  for (const char c : rest) {
    if (c == ' ') {
      if (parens == 1) return kNotANumber;
      word_ended = true;
    } else if (c == '(') {
      ++parens;
      word_ended = true;
    } else if (c == ')') {
      if (parens++ != 1) return kNotANumber;
    } else if (!is_alnum_ascii(c)) {
      return kNotANumber;
    } else if (!word_ended) {
      if (length < sizeof word) word[length] = lower_ascii(c);
      ++length;
    }
  }
  if (parens != 0 && parens != 2) return kNotANumber;
  const std::string_view w(word, length <= sizeof word ? length : 0);
  if (w == "inf" || w == "infinity") {
    return parens == 0 ? RealRead{signed_infinity(negative)} : kNotANumber;
  }
  if (w == "nan") return {signed_nan(negative)};
  return kNotANumber;
}

}  // namespace

float decimal_to_float(bool negative, std::string_view digits, std::int64_t exponent) {
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  while (!digits.empty() && digits.back() == '0') {
    digits.remove_suffix(1);
    ++exponent;
  }
  if (digits.empty()) return signed_zero(negative);
  // Decimal exponent of the leading digit: beyond these bounds the result is
  // an infinity or a zero whatever the digits.
  const std::int64_t leading = exponent + static_cast<std::int64_t>(digits.size()) - 1;
  if (leading >= 39) return signed_infinity(negative);
  if (leading <= -47) return signed_zero(negative);

  // Clinger's fast path: up to 7 digits are exact in a float (below 2^24),
  // and so are the powers of ten up to 10^10; one IEEE multiplication or
  // division of two exact operands is correctly rounded.
  if (digits.size() <= 7 && exponent >= -10 && exponent <= 10) {
    std::uint32_t m = 0;
    for (const char c : digits) m = m * 10 + static_cast<std::uint32_t>(c - '0');
    const float exact = static_cast<float>(m);
    const float value =
        exponent < 0 ? exact / kFloatPowersOfTen[-exponent] : exact * kFloatPowersOfTen[exponent];
    return negative ? -value : value;
  }

  constexpr std::size_t kExponentRoom = 24;
  char small[128];
  std::string large;
  char* text = small;
  if (digits.size() + kExponentRoom > sizeof small) {
    large.resize(digits.size() + kExponentRoom);
    text = large.data();
  }
  char* end = text;
  for (const char c : digits) *end++ = c;
  *end++ = 'e';
  end = std::to_chars(end, end + kExponentRoom - 1, exponent).ptr;

  float value = 0.0f;
  const auto result = std::from_chars(text, end, value);
  if (result.ec == std::errc::result_out_of_range) {
    return leading > 0 ? signed_infinity(negative) : signed_zero(negative);
  }
  return negative ? -value : value;
}

RealRead read_real_field_in_general(std::string_view f, int implied_decimals) {
  const std::size_t n = f.size();
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < n && f[i] == ' ') ++i;
  };
  skip_blanks();
  if (i == n) return {0.0f};
  bool negative = false;
  if (f[i] == '+' || f[i] == '-') {
    negative = f[i] == '-';
    ++i;
  }
  skip_blanks();
  if (i == n) return kNotANumber;  // a sign alone: a typo, not a zero
  const char first = lower_ascii(f[i]);
  if (n - i >= 3 && (first == 'i' || first == 'n')) return read_field_inf_nan(f.substr(i), negative);

  Digits digits;
  bool any_digit = false;
  bool seen_point = false;
  std::int64_t fraction_digits = 0;
  bool has_exponent = false;
  for (; i < n; ++i) {
    const char c = f[i];
    if (is_digit(c)) {
      digits.push(c);
      any_digit = true;
      if (seen_point) ++fraction_digits;
    } else if (c == ' ') {
      continue;
    } else if (c == '.') {
      if (seen_point) return kNotANumber;
      seen_point = true;
    } else if (c == '+' || c == '-') {  // an exponent without its letter
      has_exponent = true;
      break;
    } else if (is_exponent_letter(c)) {
      has_exponent = true;
      ++i;
      break;
    } else {
      return kNotANumber;
    }
  }
  // ".", "-.", "E5", "--1": no digit before the exponent, not a number
  // (gfortran reads some of these as 0; a typo must not plot as a zero).
  if (!any_digit) return kNotANumber;

  std::int64_t exponent = 0;
  if (has_exponent) {
    // Digits may be absent (exponent 0), but not the whole rest of the field.
    skip_blanks();
    if (i == n) return kNotANumber;
    const bool exponent_negative = f[i] == '-';
    if (f[i] == '-' || f[i] == '+') ++i;
    if (i == n) return kNotANumber;
    for (; i < n; ++i) {
      if (f[i] == ' ') continue;
      if (!is_digit(f[i])) return kNotANumber;
      accumulate_exponent(exponent, f[i]);
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (!seen_point) exponent -= implied_decimals;
  if (exponent >= 10000 || exponent <= -10000) return {0.0f, ReadStatus::exponent_range};
  return {decimal_to_float(negative, digits.view(), exponent - fraction_digits)};
}

IntegerRead read_integer_field(std::string_view f) {
  const std::size_t n = f.size();
  std::size_t i = 0;
  while (i < n && f[i] == ' ') ++i;
  if (i == n) return {0};
  bool negative = false;
  if (f[i] == '+' || f[i] == '-') {
    negative = f[i] == '-';
    if (++i == n) return {0, ReadStatus::not_a_number};  // a sign at the very end
  }
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t value = 0;
  for (; i < n; ++i) {
    const char c = f[i];
    if (c == ' ') continue;
    if (!is_digit(c)) return {0, ReadStatus::not_a_number};
    value = value * 10 + (c - '0');
    if (value > limit) return {0, ReadStatus::too_large};
  }
  return {static_cast<std::int32_t>(negative ? -value : value)};
}

RealRead read_list_real(std::string_view t) {
  const std::size_t n = t.size();
  std::size_t i = 0;
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  if (i < n && (lower_ascii(t[i]) == 'i' || lower_ascii(t[i]) == 'n')) {
    std::string word;
    for (std::size_t k = i; k < n; ++k) word.push_back(lower_ascii(t[k]));
    if (word == "inf" || word == "infinity") return {signed_infinity(negative)};
    if (word == "nan") return {signed_nan(negative)};
    // "nan(...)": anything but a parenthesis between the parentheses.
    if (word.size() >= 5 && word.compare(0, 4, "nan(") == 0 && word.back() == ')' &&
        word.find_first_of("()", 4) == word.size() - 1) {
      return {signed_nan(negative)};
    }
    return kNotANumber;
  }

  Digits digits;
  bool any_digit = false;
  std::int64_t fraction_digits = 0;
  for (; i < n && is_digit(t[i]); ++i) {
    digits.push(t[i]);
    any_digit = true;
  }
  if (i < n && t[i] == '.') {
    for (++i; i < n && is_digit(t[i]); ++i) {
      digits.push(t[i]);
      any_digit = true;
      ++fraction_digits;
    }
  }
  if (!any_digit) return kNotANumber;

  std::int64_t exponent = 0;
  if (i < n) {
    if (is_exponent_letter(t[i]))
      ++i;
    else if (t[i] != '+' && t[i] != '-')
      return kNotANumber;
    const bool exponent_negative = i < n && t[i] == '-';
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    if (i == n) return kNotANumber;
    for (; i < n; ++i) {
      if (!is_digit(t[i])) return kNotANumber;
      accumulate_exponent(exponent, t[i]);
    }
    if (exponent_negative) exponent = -exponent;
  }
  return {decimal_to_float(negative, digits.view(), exponent - fraction_digits)};
}

}  // namespace traceplot
