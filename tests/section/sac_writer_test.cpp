// The test SAC writer against the published field offsets, byte order by
// byte order: the fixtures of the reader tests are only as good as this.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>

#include "section/sac_writer.hpp"

namespace {

using section_test::SacTrace;

std::uint32_t word_at(const std::vector<unsigned char>& b, std::size_t offset, bool big_endian) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t byte = b[offset + static_cast<std::size_t>(i)];
    v |= big_endian ? byte << (24 - 8 * i) : byte << (8 * i);
  }
  return v;
}
float float_at(const std::vector<unsigned char>& b, std::size_t offset, bool be) {
  return std::bit_cast<float>(word_at(b, offset, be));
}
std::int32_t int_at(const std::vector<unsigned char>& b, std::size_t offset, bool be) {
  return static_cast<std::int32_t>(word_at(b, offset, be));
}
std::string text_at(const std::vector<unsigned char>& b, std::size_t offset, std::size_t width) {
  return {reinterpret_cast<const char*>(b.data() + offset), width};
}

class SacWriterOffsets : public testing::TestWithParam<bool> {};

TEST_P(SacWriterOffsets, FieldsStandAtThePublishedOffsets) {
  const bool be = GetParam();
  SacTrace t;
  t.delta = 0.5f;
  t.b = -2.0f;
  t.dist = 123.5f;
  t.gcarc = 1.25f;
  t.kstnm = "ANMO";
  t.kcmpnm = "BHZ";
  t.samples = {1.0f, -2.0f, 3.5f};
  const auto bytes = section_test::sac_bytes(t, be);
  ASSERT_EQ(bytes.size(), 632u + 12u);
  EXPECT_EQ(float_at(bytes, 0, be), 0.5f);       // delta
  EXPECT_EQ(float_at(bytes, 4, be), -12345.0f);  // depmin, unset
  EXPECT_EQ(float_at(bytes, 20, be), -2.0f);     // b
  EXPECT_EQ(float_at(bytes, 24, be), -1.0f);     // e = b + 2 delta
  EXPECT_EQ(float_at(bytes, 200, be), 123.5f);   // dist
  EXPECT_EQ(float_at(bytes, 212, be), 1.25f);    // gcarc
  EXPECT_EQ(float_at(bytes, 276, be), -12345.0f);  // last float, word 69
  EXPECT_EQ(int_at(bytes, 280, be), -12345);     // nzyear, first integer
  EXPECT_EQ(int_at(bytes, 304, be), 6);          // nvhdr
  EXPECT_EQ(int_at(bytes, 316, be), 3);          // npts
  EXPECT_EQ(int_at(bytes, 340, be), 1);          // iftype ITIME
  EXPECT_EQ(int_at(bytes, 420, be), 1);          // leven
  EXPECT_EQ(text_at(bytes, 440, 8), "ANMO    ");   // kstnm
  EXPECT_EQ(text_at(bytes, 448, 16), "-12345          ");  // kevnm, 16 bytes
  EXPECT_EQ(text_at(bytes, 464, 8), "-12345  ");   // khole follows kevnm
  EXPECT_EQ(text_at(bytes, 600, 8), "BHZ     ");   // kcmpnm
  EXPECT_EQ(text_at(bytes, 624, 8), "-12345  ");   // kinst, the last field
  EXPECT_EQ(float_at(bytes, 632, be), 1.0f);
  EXPECT_EQ(float_at(bytes, 636, be), -2.0f);
  EXPECT_EQ(float_at(bytes, 640, be), 3.5f);
}

TEST_P(SacWriterOffsets, VersionSevenFooterFollowsTheSamples) {
  const bool be = GetParam();
  SacTrace t;
  t.nvhdr = 7;
  t.samples = {1.0f};
  t.footer_delta = 0.1;
  t.footer_b = 12.25;
  const auto bytes = section_test::sac_bytes(t, be);
  ASSERT_EQ(bytes.size(), 632u + 4u + 22u * 8u);
  EXPECT_EQ(int_at(bytes, 304, be), 7);
  double delta = 0, b = 0;
  std::uint64_t bits = (std::uint64_t{word_at(bytes, 636 + (be ? 0 : 4), be)} << 32) | word_at(bytes, 636 + (be ? 4 : 0), be);
  std::memcpy(&delta, &bits, 8);
  bits = (std::uint64_t{word_at(bytes, 644 + (be ? 0 : 4), be)} << 32) | word_at(bytes, 644 + (be ? 4 : 0), be);
  std::memcpy(&b, &bits, 8);
  EXPECT_EQ(delta, 0.1);
  EXPECT_EQ(b, 12.25);
}

TEST(SacWriterByteOrder, TheTwoOrdersAreByteReversedWordByWord) {
  SacTrace t;
  t.samples = {1.0f, 2.0f};
  const auto big = section_test::sac_bytes(t, true);
  const auto little = section_test::sac_bytes(t, false);
  ASSERT_EQ(big.size(), little.size());
  for (std::size_t w = 0; w < 110; ++w) {  // the numeric words
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(big[4 * w + i], little[4 * w + 3 - i]) << "word " << w;
  }
  EXPECT_EQ(big[319], 2);  // npts low byte last in big-endian
  EXPECT_EQ(little[316], 2);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, SacWriterOffsets, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "big" : "little"; });

}  // namespace
