// Number fields: the width-and-decimals code, seen through xnumber's shown
// string, and number's hand-over of the same field to the stroke font.
// Expected fields are those gfortran writes for the same edit descriptors.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"
#include "support/document.hpp"

using plume::testing::body_lines;
using plume::testing::draw_document;

namespace {

// The string xnumber shows for the value, or "" when it wrote no show line.
std::string field_of(float value, int format_code) {
  const auto lines = body_lines(draw_document([&] { plume::xnumber(1.0f, 1.0f, 0.2f, value, 0.0f, format_code, 1); }));
  for (const auto& line : lines) {
    const auto end = line.rfind(") show");
    if (line.rfind(" (", 0) == 0 && end != std::string::npos) return line.substr(2, end - 2);
  }
  return "";
}

TEST(Number, FixedPointFields) {
  const std::pair<float, const char*> fields62[] = {
      {1.5f, "  1.50"},   {0.004f, "  0.00"}, {-0.004f, " -0.00"}, {-0.001f, " -0.00"},
      {-0.0f, " -0.00"},  {0.5f, "  0.50"},   {1234.5f, "******"}, {99.995f, "100.00"},
      {-99.995f, "******"}, {-12.345f, "-12.35"},
  };
  for (auto [value, field] : fields62) EXPECT_EQ(field_of(value, 62), field) << value;
  EXPECT_EQ(field_of(12.0f, 60), "   12.");  // the point stays with no decimals
  EXPECT_EQ(field_of(12.0f, 40), " 12.");
  EXPECT_EQ(field_of(0.5f, 32), ".50");     // no room for the leading 0
  EXPECT_EQ(field_of(1.5f, 109), "**********");
}

TEST(Number, IntegerFieldsTruncateTowardZero) {
  EXPECT_EQ(field_of(-3.7f, -5), "   -3");
  EXPECT_EQ(field_of(2.99f, -5), "    2");
  EXPECT_EQ(field_of(-0.9f, -5), "    0");
  EXPECT_EQ(field_of(12345.0f, -3), "***");
  EXPECT_EQ(field_of(-1.0f, -1), "*");
  // Beyond the 32-bit range the value saturates, and does not fit five places.
  EXPECT_EQ(field_of(3.0e9f, -5), "*****");
  EXPECT_EQ(field_of(3.0e9f, -11), " 2147483647");
  EXPECT_EQ(field_of(-3.0e9f, -11), "-2147483648");
}

TEST(Number, WidthZeroHandsOverACountOfZero) {
  // xsymbol shows nothing of a count of 0.
  EXPECT_EQ(field_of(3.14159f, 2), "");
  const auto lines = body_lines(draw_document([] { plume::xnumber(1, 1, 0.2f, 3.14159f, 0, 2, 1); }));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], " () show");
  // symbol draws the first character of the minimal-width field: "3".
  const auto number = body_lines(draw_document([] { plume::number(1, 1, 0.42f, 3.14159f, 0, 2); }));
  const auto three = body_lines(draw_document([] { plume::symbol(1, 1, 0.42f, "3", 0, 0); }));
  EXPECT_EQ(number, three);
  EXPECT_FALSE(number.empty());
}

TEST(Number, WidthsAboveFortyAreBuiltAtForty) {
  EXPECT_EQ(field_of(1.5f, 452), std::string(36, ' ') + "1.50");
  EXPECT_EQ(field_of(1.5f, 402), std::string(36, ' ') + "1.50");
  EXPECT_EQ(field_of(-7.0f, -45), std::string(38, ' ') + "-7");
  EXPECT_EQ(field_of(-7.0f, std::numeric_limits<int>::min()), std::string(38, ' ') + "-7");
  EXPECT_EQ(field_of(1.0f, std::numeric_limits<int>::max()), std::string(31, ' ') + "1.0000000");
}

TEST(Number, StrokeNumberDrawsTheWholeFieldWithSymbol) {
  const auto number = body_lines(draw_document([] { plume::number(1.0f, 2.0f, 0.21f, 1.5f, 30.0f, 62); }));
  const auto text = body_lines(draw_document([] { plume::symbol(1.0f, 2.0f, 0.21f, "  1.50", 30.0f, 6); }));
  EXPECT_EQ(number, text);
  EXPECT_GT(number.size(), 10u);
  const auto stars = body_lines(draw_document([] { plume::number(0, 0, 0.21f, 1234.5f, 0, -3); }));
  EXPECT_EQ(stars, body_lines(draw_document([] { plume::symbol(0, 0, 0.21f, "***", 0, 3); })));
}

TEST(Number, FortranFacesForwardFontAndCode) {
  const float x = 1, y = 1, h = 0.3f, v = -2.5f, a = 90;
  const int code = 52, font = 13;
  std::string path;
  const auto lines = body_lines(draw_document([&] { xnumber_(&x, &y, &h, &v, &a, &code, &font); }, 1, 0, &path));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "     90.000 rotate");
  EXPECT_EQ(lines[2], "     12.756  hI");
  EXPECT_EQ(lines[3], " (-2.50) show");
  if (!plume::testing::ghostscript().empty()) {
    std::string out;
    EXPECT_TRUE(plume::testing::renders_cleanly(path, &out)) << out;
  }
  const auto stroke = body_lines(draw_document([&] { number_(&x, &y, &h, &v, &a, &code); }));
  EXPECT_EQ(stroke, body_lines(draw_document([] { plume::symbol(1, 1, 0.3f, "-2.50", 90, 5); })));
}

}  // namespace
