// Text in the prologue's PostScript fonts: rotation, font, shown string or
// hexadecimal pairs, inverse rotation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::body_lines;
using plume::testing::draw_document;

namespace {

using Lines = std::vector<std::string>;

// The body without its first line, the move to the start point.
Lines text_lines(const std::string& document) {
  auto lines = body_lines(document);
  if (!lines.empty()) lines.erase(lines.begin());
  return lines;
}

void expect_renders(const std::string& path) {
  if (plume::testing::ghostscript().empty()) return;
  std::string out;
  EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
}

TEST(Xsymbol, DocumentedExample) {
  std::string path;
  const auto doc = draw_document([] { plume::xsymbol(1.0f, 1.0f, 0.5f, "f(x)", 30.0f, 4, 2); }, 1, 0, &path);
  const auto body = body_lines(doc);
  ASSERT_EQ(body.size(), 5u);
  EXPECT_TRUE(body[0] == "     28.346     28.346 pQ" || body[0] == "     28.346     28.346 pM") << body[0];
  EXPECT_EQ(text_lines(doc), (Lines{"     30.000 rotate", "     21.260  tB", " (f\\(x\\)) show", "    -30.000 rotate"}));
  EXPECT_EQ(plume::testing::split_lines(doc).back(), "%%BoundingBox:    0    0    0    0");
  expect_renders(path);
}

TEST(Xsymbol, ZeroAngleUndoesWithNegativeZero) {
  const auto lines = text_lines(draw_document([] { plume::xsymbol(0.0f, 0.0f, 1.0f, "a", 0.0f, 1, 1); }));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines.front(), "      0.000 rotate");
  EXPECT_EQ(lines.back(), "     -0.000 rotate");
}

TEST(Xsymbol, EveryFontNumberSelectsItsProcedure) {
  const std::pair<int, const char*> fonts[] = {
      {1, " tR"},   {2, " tB"},   {3, " tI"},  {4, " tBI"}, {5, " hV"},  {6, " pI"},  {7, " cR"},
      {8, " tR"},   {9, " tR"},   {11, " hR"}, {12, " hV"}, {13, " hI"}, {14, " hBI"}, {15, " tR"},
      {20, " sY"},  {21, " kM"},  {22, " kG"}, {23, " tR"}, {0, " tR"},  {-4, " tR"},
  };
  for (auto [font, procedure] : fonts) {
    const auto lines = text_lines(draw_document([&] { plume::xsymbol(1.0f, 1.0f, 0.2f, "ab", 0.0f, 2, font); }));
    ASSERT_EQ(lines.size(), 4u) << font;
    EXPECT_EQ(lines[1], std::string("      8.504 ") + procedure) << font;
    // Up to 20 a PostScript string; above, hexadecimal pairs (also for tR).
    EXPECT_EQ(lines[2], font <= 20 ? " (ab) show" : " <6162> show") << font;
  }
}

TEST(Xsymbol, EmptyTextShowsAnEmptyStringOrNothing) {
  EXPECT_EQ(text_lines(draw_document([] { plume::xsymbol(1, 1, 1, "xyz", 0, 0, 3); }))[2], " () show");
  for (int font : {21, 22}) {
    EXPECT_EQ(text_lines(draw_document([&] { plume::xsymbol(1, 1, 1, "xyz", 0, 0, font); })).size(), 3u);
  }
  EXPECT_EQ(text_lines(draw_document([] { plume::xsymbol(1, 1, 1, "xyz", 0, -5, 3); }))[2], " () show");
}

TEST(Xsymbol, StringOutputIsCutAtEightyCharactersAndHundredEscaped) {
  const std::string plain(90, 'q');
  EXPECT_EQ(text_lines(draw_document([&] { plume::xsymbol(1, 1, 1, plain, 0, 90, 1); }))[2],
            " (" + std::string(80, 'q') + ") show");
  const std::string parens(60, '(');
  std::string fifty_pairs;
  for (int i = 0; i < 50; ++i) fifty_pairs += "\\(";
  EXPECT_EQ(text_lines(draw_document([&] { plume::xsymbol(1, 1, 1, parens, 0, 60, 1); }))[2],
            " (" + fifty_pairs + ") show");
}

TEST(Xsymbol, LimitAfterAnEscapingBackslashDropsIt) {
  // 49 escaped parentheses and "a" make 99 characters; the next "(" gets
  // its backslash as character 100, which would escape the closing ")".
  const std::string text = std::string(49, ')') + "a((";
  std::string want;
  for (int i = 0; i < 49; ++i) want += "\\)";
  std::string path;
  const auto doc = draw_document([&] { plume::xsymbol(1, 1, 1, text, 0, 52, 1); }, 1, 0, &path);
  EXPECT_EQ(text_lines(doc)[2], " (" + want + "a) show");
  expect_renders(path);
}

TEST(Xsymbol, TextBackslashesStayEscapesAndTheStringStaysWellFormed) {
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::xsymbol(1, 1, 1, "a\\101b", 0, 6, 1);  // an octal escape passes through
        plume::xsymbol(1, 2, 1, "\\(x\\)", 0, 5, 1);  // balanced: as written
        plume::xsymbol(1, 3, 1, "C:\\", 0, 3, 1);     // trailing backslash: dropped
        plume::xsymbol(1, 4, 1, "\\(", 0, 2, 1);      // unbalanced: bare parenthesis escaped
        plume::xsymbol(1, 5, 1, std::string(79, 'w') + "\\(", 0, 81, 1);  // cut after the backslash
      },
      1, 0, &path);
  const auto body = body_lines(doc);
  ASSERT_EQ(body.size(), 25u);
  EXPECT_EQ(body[3], " (a\\101b) show");
  EXPECT_EQ(body[8], " (\\\\(x\\\\)) show");
  EXPECT_EQ(body[13], " (C:) show");
  EXPECT_EQ(body[18], " (\\\\\\() show");
  EXPECT_EQ(body[23], " (" + std::string(79, 'w') + ") show");
  expect_renders(path);
}

TEST(Xsymbol, TwoByteFontsWriteSevenBitPairs) {
  const char jis[] = "\xB0\xA1\xB0\xA2";
  std::string path;
  const auto doc = draw_document(
      [&] {
        plume::xsymbol(1, 1, 1, std::string_view(jis, 2), 0, 2, 21);
        plume::xsymbol(1, 2, 1, std::string_view(jis, 4), 0, 4, 22);
      },
      1, 0, &path);
  const auto body = body_lines(doc);
  ASSERT_EQ(body.size(), 11u);
  EXPECT_EQ(body[1], "      0.000 rotate");
  EXPECT_EQ(body[2], "     42.520  kM");
  EXPECT_EQ(body[3], " <3021> show");
  EXPECT_EQ(body[7], "     42.520  kG");
  EXPECT_EQ(body[8], " <3021> show");
  EXPECT_EQ(body[9], " <3022> show");
  expect_renders(path);
}

TEST(Xsymbol, OddTwoByteCountLeavesOutTheHalfCharacter) {
  // Exactly three bytes on the heap: a read of a fourth would be caught.
  auto text = std::make_unique<char[]>(3);
  std::memcpy(text.get(), "\xB0\xA1\xB0", 3);
  const int n = 3, font = 21;
  const float x = 1, y = 1, h = 1, a = 0;
  const auto lines = text_lines(draw_document([&] { xsymbol_(&x, &y, &h, text.get(), &a, &n, &font, 3); }));
  EXPECT_EQ(lines, (Lines{"      0.000 rotate", "     42.520  kM", " <3021> show", "     -0.000 rotate"}));
}

TEST(Xsymbol, FortranFaceReadsOnlyTheCountedCharacters) {
  auto text = std::make_unique<char[]>(4);
  std::memcpy(text.get(), "x(y)", 4);
  const int n = 4, font = 1;
  const float x = 1, y = 1, h = 1, a = 45;
  const auto lines = text_lines(draw_document([&] { xsymbol_(&x, &y, &h, text.get(), &a, &n, &font, 4); }));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], " (x\\(y\\)) show");
}

TEST(Xsymbol, NegativeHeightSizesByMagnitudeAndMovesTheOrigin) {
  const auto doc = draw_document([] { plume::xsymbol(2.0f, 3.0f, -0.5f, "o", 0.0f, 1, 1); });
  const auto body = body_lines(doc);
  ASSERT_EQ(body.size(), 5u);
  EXPECT_EQ(body[0].substr(0, 22), "     56.693     85.039");
  EXPECT_EQ(body[2], "     21.260  tR");
  EXPECT_FLOAT_EQ(p00001_.origin_x, 2.0f * 72.0f / 2.54f);
  EXPECT_FLOAT_EQ(p00001_.origin_y, 3.0f * 72.0f / 2.54f);
  const auto w = plume::where();
  EXPECT_EQ(w.x, 0.0f);
  EXPECT_EQ(w.y, 0.0f);
}

TEST(Xsymbol, HugeAnglesStillUndoTheirRotation) {
  const auto lines = text_lines(draw_document([] { plume::xsymbol(1, 1, 1, "a", 1.0e7f, 1, 1); }));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "    280.000 rotate");
  EXPECT_EQ(lines[3], "   -280.000 rotate");
  const auto big = text_lines(draw_document([] { plume::xsymbol(1, 1, 1, "a", 450.0f, 1, 1); }));
  EXPECT_EQ(big[0], "    450.000 rotate");  // within the field: as given
}

// Every angle whose rotation and inverse both fit f11.3 is written as given
// (the expected lines are gfortran's '(f11.3,a)' of the angle and its
// opposite); from 1e6 on the opposite overflows and one turn is taken off.
TEST(Xsymbol, AnglesAreReducedOnlyWhereTheFieldOverflows) {
  struct Case {
    float angle;
    const char* first;
    const char* last;
  };
  const Case cases[] = {
      {999999.0625f, " 999999.062 rotate", "-999999.062 rotate"},
      {999999.5f, " 999999.500 rotate", "-999999.500 rotate"},
      {999999.9375f, " 999999.938 rotate", "-999999.938 rotate"},
      {-999999.0625f, "-999999.062 rotate", " 999999.062 rotate"},
      {-999999.9375f, "-999999.938 rotate", " 999999.938 rotate"},
      {1.0e6f, "    280.000 rotate", "   -280.000 rotate"},  // -1000000.000 needs 12 places
      {-1.0e6f, "   -280.000 rotate", "    280.000 rotate"},
  };
  for (const auto& c : cases) {
    const auto lines = text_lines(draw_document([&] { plume::xsymbol(1, 1, 1, "a", c.angle, 1, 1); }));
    ASSERT_EQ(lines.size(), 4u) << c.angle;
    EXPECT_EQ(lines[0], c.first) << c.angle;
    EXPECT_EQ(lines[3], c.last) << c.angle;
  }
}

TEST(Xsymbol, NonFiniteArgumentsWriteNoTextLines) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::string path;
  const auto doc = draw_document(
      [&] {
        plume::xsymbol(nan, 1, 1, "a", 0, 1, 1);
        plume::xsymbol(1, 1, inf, "b", 0, 1, 1);
        plume::xsymbol(1, 1, 1, "c", nan, 1, 1);
      },
      1, 0, &path);
  for (const auto& line : body_lines(doc)) {
    EXPECT_EQ(line.find("show"), std::string::npos) << line;
    EXPECT_EQ(line.find("rotate"), std::string::npos) << line;
  }
  expect_renders(path);
}

TEST(Hexchar, DigitsCapitalsStarAndUnchanged) {
  const char digits[] = "0123456789ABCDEF";
  for (int v = 0; v < 16; ++v) EXPECT_EQ(plume::hexchar(v), digits[v]) << v;
  EXPECT_EQ(plume::hexchar(-1), '*');
  EXPECT_EQ(plume::hexchar(16, 'q'), 'q');

  char ch[3] = {'z', 'z', 'z'};
  const int eleven = 11, sixteen = 16;
  hexchar_(&sixteen, ch, 3);
  EXPECT_EQ(std::string(ch, 3), "zzz");
  hexchar_(&eleven, ch, 3);
  EXPECT_EQ(std::string(ch, 3), "B  ");  // assignment pads with blanks
}

TEST(Hexstr, WritesFourDigitsAlways) {
  const auto lines = body_lines(draw_document([] {
    plume::plot(1.0f, 2.0f, 3);  // a current point to show at
    plume::hexstr(0, 127);
    plume::hexstr(48, 33);
    plume::hexstr(-1, 300);  // outside 0 .. 127: the low byte of each
  }));
  EXPECT_EQ(lines, (Lines{"     28.346     56.693 pQ", " <007F> show", " <3021> show", " <FF2C> show"}));
}

}  // namespace

namespace {

// The lines of a document that define the ISOLatin1Encoding copy of a font.
int latin1_definitions(const std::string& document, const std::string& font) {
  int n = 0;
  for (const auto& line : plume::testing::split_lines(document)) {
    if (line.rfind("/" + font + "-ISOLatin1 /" + font + " findfont ", 0) == 0) ++n;
  }
  return n;
}

}  // namespace

TEST(Xsymbol, Latin1LettersInUtf8ShowThroughAFontDefinedOncePerDocument) {
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::xsymbol(1, 1, 1, "Temp\xC3\xA9rature -5 \xC2\xB0" "C", 0, 19, 1);  // é and °
        plume::xsymbol(1, 2, 1, "se\xC3\xB1or M\xC3\xBCller", 0, 14, 1);        // ñ, ü: no second definition
        plume::xsymbol(1, 3, 1, "\xC3\xA9", 0, 2, 12);                         // another font: its own copy
        plume::xsymbol(1, 4, 1, "plain", 0, 5, 1);                             // ASCII: the font as always
      },
      1, 0, &path);
  EXPECT_EQ(latin1_definitions(doc, "Times-Roman"), 1);
  EXPECT_EQ(latin1_definitions(doc, "Helvetica-Bold"), 1);
  const auto lines = plume::testing::split_lines(doc);
  const auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("/tRL {/Times-Roman-ISOLatin1 findfont exch scalefont setfont} def"));
  EXPECT_TRUE(has("     42.520  tRL"));
  // The hyphen goes to its ISOLatin1Encoding code: 45 is the minus sign there.
  EXPECT_TRUE(has(" (Temp\\351rature \\2555 \\260C) show"));
  EXPECT_TRUE(has(" (se\\361or M\\374ller) show"));
  EXPECT_TRUE(has("     42.520  hVL"));
  EXPECT_TRUE(has(" (plain) show"));
  expect_renders(path);
  // The next document defines the copy again, before its own first use.
  EXPECT_EQ(latin1_definitions(draw_document([] { plume::xsymbol(1, 1, 1, "\xC3\xA9", 0, 2, 1); }), "Times-Roman"), 1);
  // Documents of printable ASCII define nothing.
  EXPECT_EQ(draw_document([] { plume::xsymbol(1, 1, 1, "abc", 0, 3, 1); }).find("ISOLatin1"), std::string::npos);
}

TEST(Xsymbol, WhatAFontCannotShowIsShownAsAQuestionMark) {
  std::string path;
  const auto doc = draw_document(
      [] {
        plume::xsymbol(1, 1, 1, "a\xFF" "b\xE2\x82\xAC" "c", 0, 7, 1);  // not UTF-8; the euro, beyond Latin-1
        plume::xsymbol(1, 2, 1, "\\bk\\x\\001\\351", 0, 14, 1);        // escaped controls; an octal Latin-1 code
        plume::xsymbol(1, 3, 1, "tab\there", 0, 8, 1);                 // a raw control character
        plume::xsymbol(1, 4, 1, "\xC3", 0, 1, 1);                      // a sequence cut short
        plume::xsymbol(1, 5, 1, "a\xB0\x7F\xF0", 0, 4, 20);            // the Symbol font's own codes
      },
      1, 0, &path);
  const auto lines = plume::testing::split_lines(doc);
  const auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has(" (a?b?c) show"));
  EXPECT_TRUE(has(" (?kx?\\351) show"));
  EXPECT_TRUE(has(" (tab?here) show"));
  EXPECT_TRUE(has(" (?) show"));
  EXPECT_TRUE(has(" (a\\260?" "?) show"));
  EXPECT_EQ(latin1_definitions(doc, "Times-Roman"), 1);
  expect_renders(path);
}

TEST(Xsymbol, EightyCharactersOfUtf8AreEightyLetters) {
  std::string text;
  for (int k = 0; k < 90; ++k) text += "\xC3\xA9";
  const auto lines = text_lines(draw_document([&] { plume::xsymbol(1, 1, 1, text, 0, static_cast<int>(text.size()), 1); }));
  ASSERT_GE(lines.size(), 2u);
  std::string expected = " (";
  for (int k = 0; k < 80; ++k) expected += "\\351";
  EXPECT_EQ(lines[lines.size() - 2], expected + ") show");
}
