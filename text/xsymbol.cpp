// Text in the PostScript fonts of the document prologue: xsymbol, and the
// hexadecimal pairs of the two-byte fonts (hexstr, hexchar).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "device/pen_draw.hpp"
#include "device/plot_state.hpp"
#include "device/record.hpp"
#include "plume/plume.h"
#include "plume/plume.hpp"

namespace plume {
namespace {

constexpr int kMaxStringCharacters = 80;   // characters of the text used for string output
constexpr std::size_t kMaxEscaped = 100;   // characters of the escaped string
constexpr int kLastStringFont = 20;        // fonts above use hexadecimal pairs

std::string_view procedure_of(int font) {
  switch (font) {
    case 2: return " tB";
    case 3: return " tI";
    case 4: return " tBI";
    case 5: return " hV";
    case 6: return " pI";
    case 7: return " cR";
    case 11: return " hR";
    case 12: return " hV";
    case 13: return " hI";
    case 14: return " hBI";
    case 20: return " sY";
    case 21: return " kM";
    case 22: return " kG";
    default: return " tR";
  }
}

// True when `s` ends inside an escape: an odd run of trailing backslashes.
bool ends_in_open_escape(std::string_view s) {
  std::size_t run = 0;
  while (run < s.size() && s[s.size() - 1 - run] == '\\') ++run;
  return run % 2 == 1;
}

// Whether the PostScript string literal "(" s ")" closes exactly at the final
// parenthesis: escapes consume the next character, bare parentheses nest.
bool closes_exactly(std::string_view s) {
  int depth = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;  // the escaped character
    } else if (s[i] == '(') {
      ++depth;
    } else if (s[i] == ')') {
      if (--depth < 0) return false;
    }
  }
  return depth == 0;
}

// Escapes every bare parenthesis, so that the literal closes where ours does.
std::string escape_bare_parentheses(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      out += s[i];
      out += s[++i];
      continue;
    }
    if (s[i] == '(' || s[i] == ')') out += '\\';
    out += s[i];
  }
  return out;
}

// The text as the content of a PostScript string: each parenthesis gets a
// backslash, other characters pass unchanged (a backslash of the text stays an
// escape), at most 100 characters. The literal must stay well formed whatever
// the text: an escape left open at the end (the limit falling after a
// backslash, or a text ending in one) loses its backslash, and a text
// backslash before a parenthesis, which would leave that parenthesis bare and
// unbalanced, is repaired by escaping the bare parentheses.
std::string escaped_string(std::string_view text) {
  std::string s;
  s.reserve(kMaxEscaped);
  for (const char ch : text) {
    if (ch == '(' || ch == ')') {
      s += '\\';
      if (s.size() >= kMaxEscaped) break;
    }
    s += ch;
    if (s.size() >= kMaxEscaped) break;
  }
  if (ends_in_open_escape(s)) s.pop_back();
  if (!closes_exactly(s)) s = escape_bare_parentheses(s);
  return s;
}

void write_rotate_line(float angle) {
  device::Record r;
  r.real(angle, 11, 3).text(" rotate").write();
}

// The rotation and its inverse are written in f11.3 fields, which hold
// -999999.999 at the widest: an angle whose opposite would not fit (the first
// single-precision magnitude beyond is 1e6) would be clamped and the closing
// rotation would not undo the first. Only such angles are reduced to one
// turn, which is the same rotation; every angle the field holds is written as
// given.
float printable_angle(float angle) {
  constexpr float kFirstBeyondField = 1.0e6f;
  return std::fabs(angle) >= kFirstBeyondField ? std::fmod(angle, 360.0f) : angle;
}

}  // namespace

char hexchar(int v, char unchanged) {
  if (v < 0) return '*';
  if (v <= 9) return static_cast<char>('0' + v);
  if (v <= 15) return static_cast<char>('A' + (v - 10));
  return unchanged;
}

void hexstr(int i, int j) {
  // Each code is one byte of a two-byte character: only its low eight bits
  // are written, so the hexadecimal string always holds four hex digits.
  i &= 0xFF;
  j &= 0xFF;
  // "show" needs a current point: after a line that emptied the path the
  // character starts at the pen, as a draw would; with the pen lost (not
  // on a finite page point) nothing can be shown and the line is dropped.
  if (device::g_path_needs_move) {
    xplot(a00000_.pen_x, a00000_.pen_y, 3);
    if (device::g_path_needs_move) {
      device::count_dropped();
      return;
    }
  }
  const char line[] = {' ', '<', hexchar(i / 16), hexchar(i % 16), hexchar(j / 16), hexchar(j % 16), '>'};
  device::Record r;
  r.text(std::string_view(line, sizeof line)).text(" show").write();
}

void xsymbol(float x, float y, float height, std::string_view text, float angle, int n, int font) {
  n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 0)), text.size()));
  const float size = std::fabs(height) * a00000_.units_scale * 1.5f;
  plot(x, y, height >= 0.0f ? 3 : -3);

  // Without a current point, a finite size and a finite angle the text lines
  // could not be shown where asked; they are dropped together.
  const float page_x = device::page_x(x);
  const float page_y = device::page_y(y);
  if (!std::isfinite(page_x) || !std::isfinite(page_y) || !std::isfinite(size) || !std::isfinite(angle)) {
    device::count_dropped();
    return;
  }
  // A size that prints as 0.000 would select a font of size 0, on which
  // "show" fails and ends the page; such a text shows nothing anyway.
  if (size < 0.0005f) return;

  angle = printable_angle(angle);
  write_rotate_line(angle);
  device::Record font_line;
  font_line.real(size, 11, 3).blank().text(procedure_of(font)).write();
  if (font <= kLastStringFont) {
    const auto used = text.substr(0, static_cast<std::size_t>(std::min(n, kMaxStringCharacters)));
    device::Record show;
    show.text(" (").text(escaped_string(used)).text(") show").write();
  } else {
    // Two bytes make one character; an odd last byte is half a character
    // and is left out rather than paired with whatever follows the text.
    for (int j = 0; j + 1 < n; j += 2) {
      hexstr(static_cast<unsigned char>(text[static_cast<std::size_t>(j)]) & 127,
             static_cast<unsigned char>(text[static_cast<std::size_t>(j) + 1]) & 127);
    }
  }
  write_rotate_line(-angle);
}

}  // namespace plume

extern "C" {
void xsymbol_(const float* x, const float* y, const float* height, const char* text, const float* angle,
              const int32_t* n, const int32_t* font, size_t /*text_len*/) {
  // The count says how much text there is; string output reads at most 80.
  int used = std::max(*n, 0);
  if (*font <= plume::kLastStringFont) used = std::min(used, plume::kMaxStringCharacters);
  plume::xsymbol(*x, *y, *height, std::string_view(text, static_cast<std::size_t>(used)), *angle, *n, *font);
}
void hexstr_(const int32_t* i, const int32_t* j) { plume::hexstr(*i, *j); }
void hexchar_(const int32_t* v, char* ch, size_t ch_len) {
  if (ch_len == 0 || *v > 15) return;  // above 15 the character is left unchanged
  ch[0] = plume::hexchar(*v);
  for (size_t i = 1; i < ch_len; ++i) ch[i] = ' ';  // Fortran assignment pads with blanks
}
}
