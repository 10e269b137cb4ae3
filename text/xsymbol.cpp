// Text in the PostScript fonts of the document prologue: xsymbol, and the
// hexadecimal pairs of the two-byte fonts (hexstr, hexchar).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

struct FontProcedure {
  std::string_view name;        // with its leading blank, as the font line writes it
  std::string_view postscript;  // the font it selects
};

FontProcedure procedure_of(int font) {
  switch (font) {
    case 2: return {" tB", "Times-Bold"};
    case 3: return {" tI", "Times-Italic"};
    case 4: return {" tBI", "Times-BoldItalic"};
    case 5: return {" hV", "Helvetica-Bold"};
    case 6: return {" pI", "Palatino-Italic"};
    case 7: return {" cR", "Courier"};
    case 11: return {" hR", "Helvetica"};
    case 12: return {" hV", "Helvetica-Bold"};
    case 13: return {" hI", "Helvetica-Oblique"};
    case 14: return {" hBI", "Helvetica-BoldOblique"};
    case 20: return {" sY", "Symbol"};
    case 21: return {" kM", "Ryumin-Light-H"};
    case 22: return {" kG", "GothicBBB-Medium-H"};
    default: return {" tR", "Times-Roman"};
  }
}

constexpr int kSymbolFont = 20;

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

// --- Text beyond printable ASCII -----------------------------------------
//
// Text in the Latin fonts is UTF-8. Printable ASCII goes out as it always
// has, a backslash acting as a PostScript string escape; a string that
// shows only such characters is written exactly as before. A Latin-1
// character (U+00A0 to U+00FF: é, ü, ñ, °, ...) typed in UTF-8, or named by
// an octal escape of its code (\351), is shown through a copy of the font
// with ISOLatin1Encoding, defined in the document when a string first needs
// it. Anything else a string would show (control characters, raw or
// escaped; other characters; bytes that are not UTF-8) is shown as "?". In
// the Symbol font the bytes are the font's own codes: 32 to 126 and 161 to
// 254 are shown, others as "?".

constexpr char kReplacement = '?';

struct Shown {
  unsigned code;          // printable ASCII, or a code of the font's encoding above 127
  bool replaced = false;  // shown as "?" in place of what the text holds
};

bool printable(unsigned c) { return c >= 0x20 && c < 0x7F; }

// Whether a code above 127 is one the font shows: Latin-1 letters and signs
// in the Latin fonts, the Symbol font's upper half there.
bool shows_upper(unsigned code, bool symbol) {
  if (symbol) return code >= 0xA1 && code <= 0xFE && code != 0xF0;
  return code >= 0xA0 && code <= 0xFF;
}

// The UTF-8 character at s[i] (advancing i past it), or nothing for a byte
// that does not begin one (advancing one byte).
std::optional<char32_t> next_utf8(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int more = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
  if (more < 0 || i + static_cast<std::size_t>(more) > s.size()) return std::nullopt;
  char32_t c = b & (0x3F >> more);
  for (int k = 0; k < more; ++k) {
    const auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((t & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (t & 0x3F);
  }
  // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
  const char32_t least[] = {0, 0x80, 0x800, 0x10000};
  if (c < least[more] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return std::nullopt;
  i += static_cast<std::size_t>(more);
  return c;
}

// What the PostScript string of `text` would show, character by character,
// with everything the font cannot show replaced.
std::vector<Shown> shown_characters(std::string_view text, bool symbol) {
  std::vector<Shown> out;
  const Shown replacement{static_cast<unsigned>(kReplacement), true};
  const auto code_of = [&](unsigned c) {
    return printable(c) || (c > 0x7F && shows_upper(c, symbol)) ? Shown{c} : replacement;
  };
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\\') {
      if (++i == text.size()) break;  // an escape left open shows nothing
      const char e = text[i];
      if (e >= '0' && e <= '7') {
        unsigned v = 0;
        for (int k = 0; k < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++k) v = v * 8 + (text[i++] - '0');
        out.push_back(code_of(v & 0xFF));
        continue;
      }
      if (e == '\n') {  // a line continuation shows nothing
        ++i;
        continue;
      }
      if (std::string_view("nrtbf").find(e) != std::string_view::npos) {
        out.push_back(replacement);
        ++i;
        continue;
      }
      if (e == '\\' || e == '(' || e == ')') {
        out.push_back({static_cast<unsigned>(e)});
        ++i;
        continue;
      }
      // Any other escaped character is itself: read on from it.
    }
    if (symbol) {
      out.push_back(code_of(static_cast<unsigned char>(text[i++])));
      continue;
    }
    const auto c = next_utf8(text, i);
    out.push_back(c && *c <= 0xFF ? code_of(static_cast<unsigned>(*c)) : replacement);
  }
  return out;
}

// The first `count` characters of the text: UTF-8 sequences in the Latin
// fonts, bytes in the Symbol font.
std::string_view first_characters(std::string_view text, int count, bool symbol) {
  if (symbol) return text.substr(0, static_cast<std::size_t>(count));
  std::size_t end = 0;
  for (int n = 0; end < text.size(); ++end) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && n++ == count) break;
  }
  return text.substr(0, end);
}

// The string written for characters the plain writer cannot give: each one
// spelled out, codes above 127 as octal escapes, which count as one
// character of the escaped string. In the ISOLatin1Encoding copy a hyphen
// is at 173 (45 is the minus sign).
std::string spelled_string(const std::vector<Shown>& shown, bool latin1) {
  std::string s;
  std::size_t length = 0;
  for (const Shown& c : shown) {
    unsigned code = c.code;
    if (latin1 && code == '-') code = 0xAD;
    const std::size_t adds = code == '(' || code == ')' || code == '\\' ? 2 : 1;
    if (length + adds > kMaxEscaped) break;
    length += adds;
    if (code > 0x7F) {
      const char octal[] = {'\\', static_cast<char>('0' + (code >> 6)), static_cast<char>('0' + ((code >> 3) & 7)),
                            static_cast<char>('0' + (code & 7))};
      s.append(octal, sizeof octal);
    } else {
      if (adds == 2) s += '\\';
      s += static_cast<char>(code);
    }
  }
  return s;
}

// Whether the plain writer gives exactly what the text shows: printable
// ASCII throughout.
bool plain(std::string_view text, const std::vector<Shown>& shown) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](char ch) { return printable(static_cast<unsigned char>(ch)); });
  return ascii && std::all_of(shown.begin(), shown.end(), [](const Shown& c) { return printable(c.code) && !c.replaced; });
}

// The font line's procedure for the font's ISOLatin1Encoding copy, whose
// definition the document gets before its first use.
std::string latin1_procedure(const FontProcedure& font) {
  static std::uint64_t document = 0;
  static std::vector<std::string> defined;
  if (document != device::document_serial()) {
    document = device::document_serial();
    defined.clear();
  }
  std::string name(font.name);
  name += 'L';
  if (std::find(defined.begin(), defined.end(), name) == defined.end()) {
    defined.push_back(name);
    std::string copy(font.postscript);
    copy += "-ISOLatin1";
    std::string definition = "/";
    definition.append(copy).append(" /").append(font.postscript);
    definition += " findfont dup length dict begin {1 index /FID ne {def} {pop pop} ifelse} forall"
                  " /Encoding ISOLatin1Encoding def currentdict end definefont pop";
    device::write_text(definition);
    std::string procedure = "/";
    procedure.append(name, 1).append(" {/").append(copy).append(" findfont exch scalefont setfont} def");
    device::write_text(procedure);
  }
  return name;
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
  const FontProcedure procedure = procedure_of(font);
  if (font <= kLastStringFont) {
    const bool symbol = font == kSymbolFont;
    const auto used = first_characters(text.substr(0, static_cast<std::size_t>(n)), kMaxStringCharacters, symbol);
    const auto shown = shown_characters(used, symbol);
    std::string string;
    std::string name(procedure.name);
    if (plain(used, shown)) {
      string = escaped_string(used);
    } else {
      const bool latin1 = !symbol && std::any_of(shown.begin(), shown.end(), [](const Shown& c) { return c.code > 0x7F; });
      if (latin1) name = latin1_procedure(procedure);
      string = spelled_string(shown, latin1);
    }
    device::Record font_line;
    font_line.real(size, 11, 3).blank().text(name).write();
    device::Record show;
    show.text(" (").text(string).text(") show").write();
  } else {
    device::Record font_line;
    font_line.real(size, 11, 3).blank().text(procedure.name).write();
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
  // The count says how much text there is; string output reads at most 80
  // characters, each at most four bytes of UTF-8.
  int used = std::max(*n, 0);
  if (*font <= plume::kLastStringFont) used = std::min(used, 4 * plume::kMaxStringCharacters);
  plume::xsymbol(*x, *y, *height, std::string_view(text, static_cast<std::size_t>(used)), *angle, *n, *font);
}
void hexstr_(const int32_t* i, const int32_t* j) { plume::hexstr(*i, *j); }
void hexchar_(const int32_t* v, char* ch, size_t ch_len) {
  if (ch_len == 0 || *v > 15) return;  // above 15 the character is left unchanged
  ch[0] = plume::hexchar(*v);
  for (size_t i = 1; i < ch_len; ++i) ch[i] = ' ';  // Fortran assignment pads with blanks
}
}
