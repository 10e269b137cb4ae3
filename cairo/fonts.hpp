// The fonts of the document prologue, found through fontconfig: the URW
// base-35 faces that share the metrics of Times, Helvetica, Palatino,
// Courier and Symbol, and the IPA faces for the two Japanese fonts.
#pragma once

#include <cairo.h>

#include <map>
#include <string>
#include <string_view>

namespace plume::render {

// How the bytes of a shown string name characters.
enum class Encoding { standard, latin1, symbol, jis };

struct Font {
  cairo_font_face_t* face = nullptr;  // owned by the Fonts cache
  Encoding encoding = Encoding::standard;
};

class Fonts {
 public:
  Fonts();
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // The face for a PostScript font name; unknown names get Times-Roman, as
  // an interpreter substitutes a default font.
  Font find(std::string_view postscript_name);
  // The UTF-8 text the bytes of a string name in this encoding.
  std::string to_utf8(std::string_view bytes, Encoding encoding);

 private:
  std::map<std::string, Font, std::less<>> faces_;
  void* jis_converter_;  // iconv_t, EUC-JP to UTF-8
};

}  // namespace plume::render
