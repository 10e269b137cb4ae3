// Stroke text drawing: symbol draws texts, single characters and centred
// symbols with the stroke font, every stroke point a pen motion through
// plot; csymbl draws a centred symbol at a point reached with a pen code.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "text/glyph_walk.hpp"

namespace plume {
namespace {

using namespace text;

// The continuation point, where a text starts when x or y is 999 or more.
float g_xo = 0.0f;
float g_yo = 0.0f;

constexpr int kIdown = 2;  // the line drawn to a centred symbol
constexpr int kIup = 3;    // the move back to its centre
constexpr int kPenUp = 3;
constexpr float kSupSub[2] = {0.5f, -0.5f};
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kContinuationCoordinate = 999.0f;
constexpr int kCentreX = 32, kCentreY = 32;      // reference point of a centred symbol
constexpr int kReferenceX = 10, kBaseline = 11;  // reference point of a glyph

// The rotated frame of one call: the baseline position and the direction.
struct Frame {
  float x0, y0;
  float sa, ca;
  float s;  // user units per font unit at full size

  // Plots the point (dx, dy), in user units from the baseline position.
  void plot_offset(float dx, float dy, int pen) const {
    plot(x0 + dx * ca - dy * sa, y0 + dx * sa + dy * ca, pen);
  }
  void advance(float distance) {
    x0 = x0 + distance * ca;
    y0 = y0 + distance * sa;
    g_xo = x0;
    g_yo = y0;
  }
};

// The common start: nothing is drawn and no state changes at height 0.
std::optional<Frame> start_frame(float x, float y, float height, float angle) {
  const float a = angle * kDegreesToRadians;
  const float sa = std::sin(a);
  const float ca = std::cos(a);
  const float s = height / 21.0f;
  if (s == 0.0f) return std::nullopt;
  return Frame{x >= kContinuationCoordinate ? g_xo : x, y >= kContinuationCoordinate ? g_yo : y, sa, ca, s};
}

// Draws text codes at the current size and shift of a frame.
class TextPen {
 public:
  TextPen(Frame frame, float height) : f_(frame), height_(height), cs_(frame.s) {}

  void draw(std::int32_t code) {
    if (is_glyph(code)) return glyph(code);
    switch (code) {
      case kSuperscript:
      case kSubscript:
        return open_level(kSupSub[code - kSuperscript]);
      case kEndLevel:
        return close_level();
      case kBackspace:
        return f_.advance(-lw_);
      default:
        return blank();  // 1000, and any code without a glyph
    }
  }

  void blank() {
    f_.advance(static_cast<float>(kBlankAdvance) * cs_);
    plot(f_.x0, f_.y0, kPenUp);
  }

  void glyph(int code) {
    walk_glyph(code, [this](int pen, int x, int y) {
      f_.plot_offset(static_cast<float>(x - kReferenceX) * cs_, static_cast<float>(y - kBaseline) * cs_ + v_, pen);
    });
    lw_ = glyph_width(code) * cs_;
    f_.advance(lw_);
  }

 private:
  void open_level(float direction) {
    const float shift = direction * height_ * cs_ / f_.s;
    if (!levels_.push(shift)) return;
    cs_ = cs_ * kLevelFactor;
    v_ = v_ + shift;
  }

  void close_level() {
    const auto shift = levels_.pop();
    if (!shift) return;
    cs_ = cs_ / kLevelFactor;
    v_ = v_ - *shift;
  }

  Frame f_;
  float height_;
  float cs_;         // current scale
  float v_ = 0.0f;   // current vertical shift, user units
  float lw_ = 0.0f;  // advance of the glyph drawn last
  LevelStack levels_;
};

void draw_centred(Frame f, float height, std::int32_t k, int n) {
  if (n <= -2) plot(f.x0, f.y0, kIdown);
  if (k == 1) {
    circle(f.x0, f.y0, height / 2.0f);
    return;
  }
  walk_centred(k, [&f](int pen, int x, int y) {
    f.plot_offset(static_cast<float>(x - kCentreX) * f.s, static_cast<float>(y - kCentreY) * f.s, pen);
  });
  plot(f.x0, f.y0, kIup);
  // 20 user units along the baseline, whatever the height.
  g_xo = f.x0 + 20.0f * f.ca;
  g_yo = f.y0 + 20.0f * f.sa;
}

// The first byte alone, always in the simplex font; a byte that yields no
// glyph (a blank, a backslash, a control character ...) advances as a blank.
void draw_character(Frame f, float height, char byte) {
  const int keep = offset_.font_offset;
  offset_.font_offset = 0;
  chrcod({&byte, 1}, 1);
  offset_.font_offset = keep;
  const auto codes = code_list();
  TextPen pen(f, height);
  if (!codes.empty() && is_glyph(codes[0])) {
    pen.glyph(codes[0]);
  } else {
    pen.blank();
  }
}

void draw_text(Frame f, float height, std::string_view text, int n) {
  if (!(offset_.reuse_codes == 1 && offset_.codes_ready == 1)) chrcod(text, n);
  offset_.codes_ready = 2;
  TextPen pen(f, height);
  for (const std::int32_t code : code_list()) pen.draw(code);
}

}  // namespace

void symbol(float x, float y, float height, std::string_view text, float angle, int n) {
  if (n < 0) {
    // The first word of the text is the symbol number; missing bytes are blanks.
    char word[4] = {' ', ' ', ' ', ' '};
    if (!text.empty()) std::memcpy(word, text.data(), std::min<std::size_t>(text.size(), 4));
    std::int32_t marker;
    std::memcpy(&marker, word, 4);
    symbol(x, y, height, marker, angle, n);
    return;
  }
  const auto frame = start_frame(x, y, height, angle);
  if (!frame) return;
  if (n == 0) {
    draw_character(*frame, height, text.empty() ? ' ' : text[0]);
  } else {
    draw_text(*frame, height, text, n);
  }
}

void symbol(float x, float y, float height, int marker, float angle, int n) {
  if (n >= 0) {
    // The number's storage is the text, as an integer passed for characters.
    char word[4];
    std::memcpy(word, &marker, 4);
    symbol(x, y, height, std::string_view(word, 4), angle, n);
    return;
  }
  const auto frame = start_frame(x, y, height, angle);
  if (frame) draw_centred(*frame, height, marker, n);
}

void csymbl(float x, float y, int pen, float height, int marker) {
  plot(x, y, pen);
  symbol(x, y, height, marker, 0.0f, -1);
}

}  // namespace plume

extern "C" {
void symbol_(const float* x, const float* y, const float* height, const void* text, const float* angle,
             const int32_t* n) {
  const auto* chars = static_cast<const char*>(text);
  if (*n < 0) {
    std::int32_t marker;
    std::memcpy(&marker, text, 4);
    plume::symbol(*x, *y, *height, marker, *angle, *n);
  } else {
    plume::symbol(*x, *y, *height, std::string_view(chars, *n > 0 ? static_cast<std::size_t>(*n) : 1), *angle, *n);
  }
}
void csymbl_(const float* x, const float* y, const int32_t* pen, const float* height, const int32_t* number) {
  plume::csymbl(*x, *y, *pen, *height, *number);
}
}
