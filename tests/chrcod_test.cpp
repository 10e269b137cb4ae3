// Character code translation: lookup tables, font switches, Greek names,
// numeric codes, levels and backspace; the bounds of the code list; indx and
// iand. Each test starts in the simplex font (a process of its own).
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "text/glyph_walk.hpp"

namespace {

using Codes = std::vector<int>;

Codes codes(std::string_view text, int n) {
  plume::chrcod(text, n);
  return Codes(ajust_.codes, ajust_.codes + ajust_.code_count);
}
Codes codes(std::string_view text) { return codes(text, static_cast<int>(text.size())); }

TEST(Chrcod, LettersDigitsBlanksAndSubscripts) {
  EXPECT_EQ(codes("H\\sub{2}O"), (Codes{8, 1002, 55, 1003, 15}));
  EXPECT_EQ(codes("AB  "), (Codes{1, 2}));
  EXPECT_EQ(codes("  Az09"), (Codes{1000, 1000, 1, 52, 53, 62}));
  EXPECT_EQ(codes("x\\sup{2}"), (Codes{50, 1001, 55, 1003}));
  EXPECT_EQ(codes("+-/=()*,.$"), (Codes{63, 64, 65, 66, 67, 68, 69, 70, 71, 72}));
  EXPECT_EQ(codes("<>{@^[]#:;!?%&~|\"'"),
            (Codes{385, 386, 405, 407, 408, 409, 410, 411, 414, 415, 416, 417, 418, 419, 424, 427, 428, 432}));
  EXPECT_EQ(codes("_`"), (Codes{1000, 1000}));
  EXPECT_EQ(codes("a}b"), (Codes{27, 1003, 28}));
}

TEST(Chrcod, BlankTextsAndCountsGiveNoCodes) {
  ajust_.code_count = 7;
  EXPECT_EQ(codes("    "), Codes{});
  EXPECT_EQ(codes("ABC", 0), Codes{});
  EXPECT_EQ(codes("ABC", -5), Codes{});
  EXPECT_EQ(codes("", 4), Codes{});
}

TEST(Chrcod, FontSwitchesPersistAndMoveOnlyStyleCodes) {
  EXPECT_EQ(codes("\\co\\A"), Codes{121});
  EXPECT_EQ(offset_.font_offset, 120);
  EXPECT_EQ(codes("A!"), (Codes{121, 416}));  // symbols above 384 keep their code
  EXPECT_EQ(codes("\\sim\\A"), Codes{1});
  EXPECT_EQ(offset_.font_offset, 0);
  EXPECT_EQ(codes("\\complex\\a\\duplex\\a\\italic\\a\\simplex\\a"), (Codes{147, 339, 267, 27}));
  EXPECT_EQ(codes("\\du\\$"), Codes{384});
}

TEST(Chrcod, ItalicUsesItsOwnTable) {
  EXPECT_EQ(codes("\\it\\!"), Codes{422});
  EXPECT_EQ(codes(":;?\"'^A"), (Codes{420, 421, 423, 1000, 1000, 1000, 241}));
  EXPECT_EQ(codes("\\sim\\\"'^"), (Codes{428, 432, 408}));
}

TEST(Chrcod, GreekNamesInEveryFont) {
  const std::map<std::string, int> small = {
      {"alpha", 1},  {"beta", 2},    {"gamma", 3}, {"delta", 4}, {"epsilon", 5}, {"zeta", 6},
      {"eta", 7},    {"theta", 8},   {"iota", 9},  {"kappa", 10}, {"lambda", 11}, {"mu", 12},
      {"nu", 13},    {"xi", 14},     {"omicron", 15}, {"pi", 16}, {"rho", 17},    {"sigma", 18},
      {"tau", 19},   {"upsilon", 20}, {"phi", 21}, {"chi", 22},   {"psi", 23},    {"omega", 24}};
  for (const auto& [name, position] : small) {
    std::string upper = name;
    for (char& ch : upper) ch = static_cast<char>(ch - 'a' + 'A');
    EXPECT_EQ(codes("\\" + name + "\\"), Codes{96 + position}) << name;
    EXPECT_EQ(codes("\\" + upper + "\\"), Codes{72 + position}) << upper;
  }
  EXPECT_EQ(codes("\\Omega\\"), Codes{1000});  // mixed case names nothing
  EXPECT_EQ(codes("\\OMEGA\\"), Codes{96});
  EXPECT_EQ(codes("\\SIM\\"), Codes{90});       // capital sigma, not a font switch
  EXPECT_EQ(codes("\\co\\\\pi\\"), Codes{232});
  EXPECT_EQ(codes("\\it\\\\pi\\"), Codes{232});  // italic takes complex Greek
  EXPECT_EQ(codes("\\du\\\\pi\\"), Codes{112});  // duplex takes simplex Greek
  EXPECT_EQ(codes("\\sim\\\\sigma\\"), Codes{114});
  EXPECT_EQ(offset_.font_offset, 0);
}

TEST(Chrcod, UnknownGreekNamesAreBlanks) {
  EXPECT_EQ(codes("\\ex\\\\om\\\\omx\\\\px\\\\tx\\\\f\\\\j\\"), (Codes{1000, 1000, 1000, 1000, 1000, 1000, 1000}));
  EXPECT_EQ(codes("\\etcetera\\A"), (Codes{103, 1}));  // only the significant letters count
  EXPECT_EQ(codes("\\!\\A"), (Codes{1000, 1}));
}

TEST(Chrcod, BackspaceAndLevels) {
  EXPECT_EQ(codes("A\\bs\\B"), (Codes{1, 1004, 2}));
  EXPECT_EQ(codes("A\\bsB"), (Codes{1, 1004}));  // the character after "bs" is skipped
  EXPECT_EQ(codes("\\sup{\\sub{A}}"), (Codes{1001, 1002, 1, 1003, 1003}));
}

TEST(Chrcod, NumericCodes) {
  EXPECT_EQ(codes("\\1385\\"), Codes{385});
  EXPECT_EQ(codes("\\1065\\A"), (Codes{65, 1}));
  EXPECT_EQ(codes("\\2001\\"), Codes{1001});
  EXPECT_EQ(codes("\\1001\\\\1432\\"), (Codes{1, 432}));
  for (const char* outside : {"\\2000\\", "\\2004\\", "\\0999\\", "\\1000\\", "\\1433\\", "\\1999\\", "\\-999\\"}) {
    EXPECT_EQ(codes(outside), Codes{1000}) << outside;
  }
  EXPECT_EQ(codes("\\ 1 6\\"), Codes{1000});  // blanks are ignored: 16
  EXPECT_EQ(codes("\\1 065\\"), Codes{1000});  // a field is four characters: "1 06" is 106
  EXPECT_EQ(codes("\\+1065\\"), Codes{1000});  // "+106"
}

TEST(Chrcod, ControlSequencesAtTheEndOfTheText) {
  EXPECT_EQ(codes("A\\"), (Codes{1, 1000}));  // the numeric read sees blanks: 0
  EXPECT_EQ(codes("A\\1065"), (Codes{1, 65}));
  EXPECT_EQ(codes("A\\106"), (Codes{1, 1000}));
  // The count ends the text: nothing past it is read, not even the numeric field.
  EXPECT_EQ(codes("A\\1065\\", 3), (Codes{1, 1000}));
  EXPECT_EQ(codes("\\co ABC"), Codes{});  // no closing backslash: the rest is consumed
  EXPECT_EQ(offset_.font_offset, 120);
  EXPECT_EQ(codes("\\alphaXYZ"), Codes{217});
  EXPECT_EQ(codes("\\su"), Codes{234});  // not "sup{": sigma, in complex
  EXPECT_EQ(codes("\\sup{"), Codes{1001});
}

TEST(Chrcod, BytesWithoutGlyphsAreBlanks) {
  const std::string controls = {'\t', '\0', '\x1f', 'A'};
  EXPECT_EQ(codes(controls), (Codes{1000, 1000, 1000, 1}));
  // Delete has table entry 0: in complex it must not become code 120.
  EXPECT_EQ(codes("\\co\\\x7f"), Codes{1000});
  EXPECT_EQ(codes("\x80\xff\xc3\xa9"), (Codes{1000, 1000, 1000, 1000}));
}

TEST(Chrcod, TheCountDecidesNotTheView) {
  EXPECT_EQ(codes("AB", 10), (Codes{1, 2}));
  EXPECT_EQ(codes("ABCD", 2), (Codes{1, 2}));
  // The Fortran face reads exactly n characters, whatever the hidden length.
  const auto buffer = std::make_unique<char[]>(3);
  std::memcpy(buffer.get(), "XYZ", 3);
  const int32_t n = 3;
  chrcod_(buffer.get(), &n, 0);
  EXPECT_EQ(Codes(ajust_.codes, ajust_.codes + ajust_.code_count), (Codes{24, 25, 26}));
  const int32_t zero = 0;
  chrcod_(nullptr, &zero, 0);
  EXPECT_EQ(ajust_.code_count, 0);
}

TEST(Chrcod, TheListStopsAtItsCapacity) {
  const std::string long_text(400, 'A');
  const auto list = codes(long_text);
  ASSERT_EQ(list.size(), 354u);
  EXPECT_EQ(list, Codes(354, 1));
  // Text longer than the list still translates when its codes fit.
  const std::string switched = "\\co\\" + std::string(351, 'B');
  EXPECT_EQ(codes(switched), Codes(351, 122));
  // Leading control sequences in a long text: the switch at the end is still seen.
  EXPECT_EQ(codes(std::string(360, 'C') + "\\du\\").size(), 354u);
  EXPECT_EQ(offset_.font_offset, 312);
}

TEST(Chrcod, FontOffsetsNoSwitchWritesNeverLeaveTheGlyphs) {
  for (const int offset : {1000, 500, -200, INT_MAX, INT_MIN}) {
    offset_.font_offset = offset;
    for (const int code : codes("Az!\\alpha\\\\OMEGA\\")) {
      EXPECT_TRUE(plume::text::is_glyph(code) || code == 1000) << "offset " << offset << " code " << code;
    }
  }
}

TEST(IntegerField, ReadsLikeAFormattedI4Read) {
  using plume::text::read_integer_field;
  EXPECT_EQ(read_integer_field("1065"), 1065);
  EXPECT_EQ(read_integer_field("    "), 0);
  EXPECT_EQ(read_integer_field("-999"), -999);
  EXPECT_EQ(read_integer_field("+ 1 "), 1);
  EXPECT_EQ(read_integer_field("+   "), std::nullopt);
  EXPECT_EQ(read_integer_field("12-3"), std::nullopt);
  EXPECT_EQ(read_integer_field("sim\\"), std::nullopt);
}

// Every field over the alphabet " +-079x." read by gfortran and by us.
TEST(IntegerField, AgreesWithGfortranOnEveryFieldOfASmallAlphabet) {
#ifndef PLUME_INTEGER_FIELD_ORACLE
  GTEST_SKIP() << "gfortran not available";
#else
  FILE* p = ::popen(PLUME_INTEGER_FIELD_ORACLE, "r");
  ASSERT_NE(p, nullptr);
  char line[64];
  int compared = 0;
  while (std::fgets(line, sizeof line, p) != nullptr) {
    const std::string s(line);
    ASSERT_GE(s.size(), 8u) << s;
    ASSERT_EQ(s[0], '|');
    ASSERT_EQ(s[5], '|');
    const std::string field = s.substr(1, 4);
    const std::string result = s.substr(7, s.find('\n') - 7);
    const auto ours = plume::text::read_integer_field(field);
    if (result == "fail") {
      EXPECT_FALSE(ours.has_value()) << "[" << field << "]";
    } else {
      EXPECT_EQ(ours, std::stoi(result)) << "[" << field << "]";
    }
    ++compared;
  }
  EXPECT_EQ(::pclose(p), 0);
  EXPECT_EQ(compared, 8 * 8 * 8 * 8);
#endif
}

TEST(Indx, FirstOccurrenceOrZero) {
  EXPECT_EQ(plume::indx("hello", "ll"), 3);
  EXPECT_EQ(plume::indx("abab", "ab"), 1);
  EXPECT_EQ(plume::indx("abab", "ba"), 2);
  EXPECT_EQ(plume::indx("abc", "abc"), 1);
  EXPECT_EQ(plume::indx("abc", "abcd"), 0);
  EXPECT_EQ(plume::indx("abc", "x"), 0);
  EXPECT_EQ(plume::indx("abc", ""), 0);
  EXPECT_EQ(plume::indx("", ""), 0);
  // Hidden lengths bound both strings.
  EXPECT_EQ(indx_("a\\bc\\", "\\", 5, 1), 2);
  EXPECT_EQ(indx_("abcdef", "def", 4, 3), 0);
}

TEST(Iand, BitwiseAnd) {
  EXPECT_EQ(plume::iand(12, 10), 8);
  EXPECT_EQ(plume::iand(-1, 0x7fff), 0x7fff);
  EXPECT_EQ(plume::iand(INT_MIN, -1), INT_MIN);
  const int32_t i = 443556555, j = 0x7fff;
  EXPECT_EQ(iand_(&i, &j), 443556555 & 0x7fff);
}

}  // namespace
