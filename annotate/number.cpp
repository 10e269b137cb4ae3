// Numbers drawn as fixed-width fields: number (stroke font) and xnumber
// (PostScript font). The format code packs the field: tens = width, units =
// decimals; a negative code is an integer field of that width.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "annotate/field.hpp"
#include "classic/state.hpp"
#include "device/format.hpp"
#include "device/plot_state.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

// The field buffer handed to the text routine. Wider fields are built at
// this width, so a wider code loses leading blanks (values below 1e37 in
// magnitude with few decimals still fit) and never overflows the buffer.
constexpr int kFieldBuffer = 40;

struct Field {
  std::array<char, kFieldBuffer> text;
  int width;
  std::string_view view() const { return {text.data(), text.size()}; }
};

Field build_field(float value, int format_code) {
  // The formatter may write its minimal width (w = 0) past the buffer.
  std::array<char, fmt::kMaxMinimalWidth + kFieldBuffer> scratch{};
  const char* end = nullptr;
  int width = 0;
  if (format_code >= 0) {
    width = std::min(format_code / 10, kFieldBuffer);
    end = fmt::write_fixed(scratch.data(), value, width, format_code % 10);
  } else {
    width = format_code < -kFieldBuffer ? kFieldBuffer : -format_code;
    end = fmt::write_integer(scratch.data(), device::truncate_saturating(value), width);
  }
  Field field{};
  field.text.fill(' ');
  const auto written = std::min<std::ptrdiff_t>(end - scratch.data(), kFieldBuffer);
  std::memcpy(field.text.data(), scratch.data(), static_cast<std::size_t>(written));
  field.width = width;
  return field;
}

}  // namespace

namespace annotate {
void field_number(float x, float y, float height, float value, float angle, int format_code) {
  const Field field = build_field(value, format_code);
  symbol(x, y, height, field.view(), angle, field.width);
}
}  // namespace annotate

void number(float x, float y, float height, float value, float angle, int format_code) {
  if (classic::plot_open()) {
    // Classic programs give a count of decimals, not a packed field.
    const std::string text = classic::number_text(value, format_code);
    symbol(x, y, height, text, angle, static_cast<int>(text.size()));
    return;
  }
  annotate::field_number(x, y, height, value, angle, format_code);
}

void xnumber(float x, float y, float height, float value, float angle, int format_code, int font) {
  const Field field = build_field(value, format_code);
  xsymbol(x, y, height, field.view(), angle, field.width, font);
}

}  // namespace plume

extern "C" {
void number_(const float* x, const float* y, const float* height, const float* value, const float* angle,
             const int32_t* format_code) {
  plume::number(*x, *y, *height, *value, *angle, *format_code);
}
void xnumber_(const float* x, const float* y, const float* height, const float* value, const float* angle,
              const int32_t* format_code, const int32_t* font) {
  plume::xnumber(*x, *y, *height, *value, *angle, *format_code, *font);
}
}
