// Character codes: chrcod translates a text, with its control sequences,
// into the code list that the stroke text routines draw; indx and iand.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "text/glyph_walk.hpp"

extern "C" {
alignas(32) plume_offset offset_ = {};  // aligned as gfortran aligns COMMON blocks
alignas(32) plume_ajust ajust_ = {};
}

namespace plume {
namespace text {

std::optional<int> read_integer_field(std::string_view field) {
  int value = 0;
  int sign = 1;
  bool seen_sign = false;
  bool seen_digit = false;
  for (const char ch : field) {
    if (ch == ' ') continue;
    if ((ch == '+' || ch == '-') && !seen_sign && !seen_digit) {
      seen_sign = true;
      sign = ch == '-' ? -1 : 1;
    } else if (ch >= '0' && ch <= '9') {
      seen_digit = true;
      value = value * 10 + (ch - '0');  // at most four digits: no overflow
    } else {
      return std::nullopt;
    }
  }
  if (seen_sign && !seen_digit) return std::nullopt;
  return sign * value;
}

}  // namespace text

namespace {

using text::kBlank;

constexpr int kSimplex = 0;
constexpr int kComplex = 120;
constexpr int kItalic = 240;
constexpr int kDuplex = 312;
// Codes up to this one belong to a style and move with the font offset.
constexpr int kLastStyleCode = 384;

struct Punctuation {
  char ch;
  std::int16_t roman;
  std::int16_t italic;
};

constexpr Punctuation kPunctuation[] = {
    {' ', 1000, 1000}, {'!', 416, 422},   {'"', 428, 1000},  {'#', 411, 411},   {'$', 72, 72},
    {'%', 418, 418},   {'&', 419, 419},   {'\'', 432, 1000}, {'(', 67, 67},     {')', 68, 68},
    {'*', 69, 69},     {'+', 63, 63},     {',', 70, 70},     {'-', 64, 64},     {'.', 71, 71},
    {'/', 65, 65},     {':', 414, 420},   {';', 415, 421},   {'<', 385, 385},   {'=', 66, 66},
    {'>', 386, 386},   {'?', 417, 423},   {'@', 407, 407},   {'[', 409, 409},   {'\\', 1000, 1000},
    {']', 410, 410},   {'^', 408, 1000},  {'_', 1000, 1000}, {'`', 1000, 1000}, {'{', 405, 405},
    {'|', 427, 427},   {'}', 406, 406},   {'~', 424, 424},
};

constexpr int kFirstTableByte = 32;
using CharTable = std::array<std::int16_t, 96>;  // bytes 32..127; 127 has entry 0

constexpr CharTable make_char_table(bool italic) {
  CharTable t{};
  for (int b = 'A'; b <= 'Z'; ++b) t[static_cast<std::size_t>(b - kFirstTableByte)] = static_cast<std::int16_t>(b - 'A' + 1);
  for (int b = 'a'; b <= 'z'; ++b) t[static_cast<std::size_t>(b - kFirstTableByte)] = static_cast<std::int16_t>(b - 'a' + 27);
  for (int b = '0'; b <= '9'; ++b) t[static_cast<std::size_t>(b - kFirstTableByte)] = static_cast<std::int16_t>(b - '0' + 53);
  for (const auto& p : kPunctuation) {
    t[static_cast<std::size_t>(p.ch - kFirstTableByte)] = italic ? p.italic : p.roman;
  }
  return t;
}

constexpr CharTable kIrlu = make_char_table(false);
constexpr CharTable kIilu = make_char_table(true);

// The Greek letter named by a control word's first letter; 25..28 mark first
// letters shared by several names, 50 letters that start none.
constexpr std::array<std::int8_t, 26> kIglu = {1,  2,  22, 4,  25, 50, 3,  50, 9,  50, 10, 11, 12,
                                               13, 26, 27, 50, 17, 18, 28, 20, 50, 50, 14, 50, 6};

// Greek letter positions (alpha = 1 ... omega = 24) used by the shared first
// letters.
constexpr int kEpsilon = 5, kEta = 7, kTheta = 8, kOmicron = 15, kPi = 16, kTau = 19, kPhi = 21,
              kPsi = 23, kOmega = 24;

// One translation of a text of n characters; positions count from 1, and a
// position past the text reads as a blank.
class Translator {
 public:
  Translator(std::string_view text, int n)
      : text_(text.substr(0, n > 0 ? static_cast<std::size_t>(n) : 0)) {}

  int run() {
    std::int64_t last = static_cast<std::int64_t>(text_.size());
    while (last > 0 && at(last) == ' ') --last;
    last_ = last;
    pos_ = 1;
    while (pos_ <= last_) {
      const auto byte = static_cast<unsigned char>(at(pos_));
      if (byte == '}') {
        append(text::kEndLevel);
        ++pos_;
      } else if (byte < kFirstTableByte) {
        append(kBlank);
        ++pos_;
      } else if (byte == '\\') {
        ++pos_;
        control_sequence();
      } else {
        append(lookup(byte));
        ++pos_;
      }
    }
    return count_;
  }

 private:
  char at(std::int64_t pos) const {
    return pos >= 1 && pos <= static_cast<std::int64_t>(text_.size()) ? text_[static_cast<std::size_t>(pos - 1)] : ' ';
  }

  bool word_at(std::string_view word) const {
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (at(pos_ + static_cast<std::int64_t>(k)) != word[k]) return false;
    }
    return true;
  }

  // A full list drops further codes: the list never grows past its capacity.
  void append(std::int64_t code) {
    if (count_ < PLUME_MAX_CODES) ajust_.codes[count_++] = static_cast<std::int32_t>(code);
  }

  // A style code moved by the font offset; an offset that application code
  // set to something no font switch writes may leave the glyphs: a blank then.
  static std::int64_t styled(std::int64_t code, std::int64_t font_offset) {
    const std::int64_t c = code + font_offset;
    return text::is_glyph(c) ? c : kBlank;
  }

  static std::int64_t lookup(unsigned char byte) {
    if (byte >= 127) return kBlank;  // delete and bytes above have no glyph
    const int font_offset = offset_.font_offset;
    const auto& table = font_offset == kItalic ? kIilu : kIrlu;
    const std::int64_t entry = table[static_cast<std::size_t>(byte - kFirstTableByte)];
    return entry <= kLastStyleCode ? styled(entry, font_offset) : entry;
  }

  void control_sequence() {
    if (numeric_code() || control_word()) return;
    append(greek_letter());
    skip();
  }

  bool numeric_code() {
    const char field[4] = {at(pos_), at(pos_ + 1), at(pos_ + 2), at(pos_ + 3)};
    const auto v = text::read_integer_field({field, 4});
    if (!v) return false;
    const int c = *v - 1000;
    append(text::is_glyph(c) || (c >= kBlank && c <= text::kEndLevel) ? c : kBlank);
    skip();
    return true;
  }

  bool control_word() {
    struct FontWord {
      std::string_view word;
      int font_offset;
    };
    static constexpr FontWord kFonts[] = {{"sim", kSimplex}, {"co", kComplex}, {"it", kItalic}, {"du", kDuplex}};
    for (const auto& f : kFonts) {
      if (word_at(f.word)) {
        offset_.font_offset = f.font_offset;
        skip();
        return true;
      }
    }
    if (word_at("bs")) {
      append(text::kBackspace);
      pos_ += 3;
    } else if (word_at("sup{")) {
      append(text::kSuperscript);
      pos_ += 4;
    } else if (word_at("sub{")) {
      append(text::kSubscript);
      pos_ += 4;
    } else {
      return false;
    }
    return true;
  }

  std::int64_t greek_letter() const {
    const char c1 = at(pos_);
    int base, case_offset;
    if (c1 >= 'A' && c1 <= 'Z') {
      base = 72;
      case_offset = 64;
    } else if (c1 >= 'a' && c1 <= 'z') {
      base = 96;
      case_offset = 96;
    } else {
      return kBlank;
    }
    // Greek exists in simplex and complex: italic takes complex, duplex simplex.
    const int font_offset = offset_.font_offset;
    const std::int64_t greek_offset = font_offset == kDuplex ? 0 : std::min(font_offset, kComplex);
    const auto letter = [&](std::int64_t p) { return static_cast<unsigned char>(at(p)) - case_offset; };
    const auto is = [&](std::int64_t p, char small) { return letter(p) == small - 'a' + 1; };
    const auto greek = [&](int position) { return styled(base + position, greek_offset); };
    const int g = kIglu[static_cast<std::size_t>(letter(pos_) - 1)];
    switch (g) {
      case 25:
        return is(pos_ + 1, 'p') ? greek(kEpsilon) : is(pos_ + 1, 't') ? greek(kEta) : kBlank;
      case 26:
        if (!is(pos_ + 1, 'm')) return kBlank;
        return is(pos_ + 2, 'e') ? greek(kOmega) : is(pos_ + 2, 'i') ? greek(kOmicron) : kBlank;
      case 27:
        return is(pos_ + 1, 'h')   ? greek(kPhi)
               : is(pos_ + 1, 'i') ? greek(kPi)
               : is(pos_ + 1, 's') ? greek(kPsi)
                                   : kBlank;
      case 28:
        return is(pos_ + 1, 'a') ? greek(kTau) : is(pos_ + 1, 'h') ? greek(kTheta) : kBlank;
      case 50:
        return kBlank;
      default:
        return greek(g);
    }
  }

  // Continues just after the next backslash, or consumes the rest of the text.
  void skip() {
    if (pos_ > last_) {
      pos_ = last_ + 1;
      return;
    }
    const auto stretch = text_.substr(static_cast<std::size_t>(pos_ - 1), static_cast<std::size_t>(last_ - pos_ + 1));
    const int e = indx(stretch, "\\");
    pos_ = e > 0 ? pos_ + e : last_ + 1;
  }

  std::string_view text_;
  std::int64_t last_ = 0;
  std::int64_t pos_ = 1;
  int count_ = 0;
};

}  // namespace

void chrcod(std::string_view text, int n) { ajust_.code_count = Translator(text, n).run(); }

int indx(std::string_view string, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > string.size()) return 0;
  const auto found = string.find(pattern);
  if (found == std::string_view::npos || found >= static_cast<std::size_t>(INT32_MAX)) return 0;
  return static_cast<int>(found) + 1;
}

int iand(int i, int j) { return i & j; }

}  // namespace plume

extern "C" {
void chrcod_(const char* text, const int32_t* n, size_t /*text_len*/) {
  // The count, not the hidden length, tells how many characters there are.
  plume::chrcod(*n > 0 ? std::string_view(text, static_cast<std::size_t>(*n)) : std::string_view(), *n);
}
int32_t indx_(const char* string, const char* pattern, size_t string_len, size_t pattern_len) {
  return plume::indx({string, string_len}, {pattern, pattern_len});
}
int32_t iand_(const int32_t* i, const int32_t* j) { return plume::iand(*i, *j); }
}
