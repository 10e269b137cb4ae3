#include "cairo/fonts.hpp"

#include <iconv.h>

#include <cstdint>

namespace plume::render {
namespace {

struct Face {
  std::string_view postscript;
  const char* family;
  cairo_font_slant_t slant;
  cairo_font_weight_t weight;
  Encoding encoding;
};

constexpr auto kUpright = CAIRO_FONT_SLANT_NORMAL;
constexpr auto kItalic = CAIRO_FONT_SLANT_ITALIC;
constexpr auto kRegular = CAIRO_FONT_WEIGHT_NORMAL;
constexpr auto kBold = CAIRO_FONT_WEIGHT_BOLD;

// Every font the prologue names, and its metric-compatible face.
constexpr Face kFaces[] = {
    {"Times-Roman", "Nimbus Roman", kUpright, kRegular, Encoding::standard},
    {"Times-Italic", "Nimbus Roman", kItalic, kRegular, Encoding::standard},
    {"Times-Bold", "Nimbus Roman", kUpright, kBold, Encoding::standard},
    {"Times-BoldItalic", "Nimbus Roman", kItalic, kBold, Encoding::standard},
    {"Helvetica", "Nimbus Sans", kUpright, kRegular, Encoding::standard},
    {"Helvetica-Bold", "Nimbus Sans", kUpright, kBold, Encoding::standard},
    {"Helvetica-Oblique", "Nimbus Sans", kItalic, kRegular, Encoding::standard},
    {"Helvetica-BoldOblique", "Nimbus Sans", kItalic, kBold, Encoding::standard},
    {"Palatino-Italic", "P052", kItalic, kRegular, Encoding::standard},
    {"Courier", "Nimbus Mono PS", kUpright, kRegular, Encoding::standard},
    {"Symbol", "Standard Symbols PS", kUpright, kRegular, Encoding::symbol},
    {"Ryumin-Light-H", "IPAMincho", kUpright, kRegular, Encoding::jis},
    {"GothicBBB-Medium-H", "IPAGothic", kUpright, kRegular, Encoding::jis},
};

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// StandardEncoding differs from ASCII in two places below 128; the codes
// above are rarely typed and are left out rather than guessed.
char32_t standard_char(unsigned char b) {
  if (b == 0x27) return 0x2019;  // quoteright
  if (b == 0x60) return 0x2018;  // quoteleft
  if (b >= 0x20 && b < 0x7F) return b;
  return 0;
}

// ISOLatin1Encoding: ISO 8859-1, but for the quotes of StandardEncoding,
// the minus sign at 45 and the hyphen at 173. Its accents at 144 to 159
// are left out.
char32_t latin1_char(unsigned char b) {
  if (b == 0x2D) return 0x2212;
  if (b == 0xA0) return 0x20;
  if (b == 0xAD) return 0x2D;
  if (b > 0xA0) return b;
  return standard_char(b);
}

// The Symbol face's character map is indexed by the Symbol encoding's own
// codes (through the Latin-1 range of Unicode): the byte is the character.
char32_t symbol_char(unsigned char b) { return b >= 0x20 && (b < 0x7F || b >= 0xA0) ? b : 0; }

}  // namespace

Fonts::Fonts() : jis_converter_(reinterpret_cast<void*>(iconv_open("UTF-8", "EUC-JP"))) {}

Fonts::~Fonts() {
  for (auto& [name, font] : faces_) cairo_font_face_destroy(font.face);
  if (jis_converter_ != reinterpret_cast<void*>(-1)) iconv_close(reinterpret_cast<iconv_t>(jis_converter_));
}

Font Fonts::find(std::string_view postscript_name) {
  if (auto it = faces_.find(postscript_name); it != faces_.end()) return it->second;
  const Face* face = &kFaces[0];
  for (const auto& f : kFaces) {
    if (f.postscript == postscript_name) face = &f;
  }
  Font font{cairo_toy_font_face_create(face->family, face->slant, face->weight), face->encoding};
  faces_.emplace(std::string(postscript_name), font);
  return font;
}

std::string Fonts::to_utf8(std::string_view bytes, Encoding encoding) {
  std::string out;
  if (encoding == Encoding::jis) {
    // A two-byte JIS code with the top bits set is the EUC-JP code of the
    // same character.
    if (jis_converter_ == reinterpret_cast<void*>(-1)) return out;
    const auto cd = reinterpret_cast<iconv_t>(jis_converter_);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      char euc[2] = {static_cast<char>(bytes[i] | 0x80), static_cast<char>(bytes[i + 1] | 0x80)};
      char utf8[8];
      char* in = euc;
      char* o = utf8;
      std::size_t in_left = 2, out_left = sizeof utf8;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &in, &in_left, &o, &out_left) != static_cast<std::size_t>(-1)) {
        out.append(utf8, static_cast<std::size_t>(o - utf8));
      }
    }
    return out;
  }
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    const char32_t c = encoding == Encoding::symbol   ? symbol_char(b)
                       : encoding == Encoding::latin1 ? latin1_char(b)
                                                      : standard_char(b);
    if (c != 0) append_utf8(out, c);
  }
  return out;
}

}  // namespace plume::render
