// Axis scaling: the round first value and increment stored behind the data.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "plume/plume.h"
#include "plume/plume.hpp"

namespace {

struct Pair {
  float first;
  float delta;
};

// Scales two values at stride 1 and returns the pair stored behind them.
Pair scale_two(float a, float b, float length, int stride = 1) {
  std::vector<float> v = {a, b, -999.0f, -999.0f};
  plume::scale(v, length, 2, stride);
  return {v[2], v[3]};
}

void expect_pair(Pair got, float first, float delta) {
  EXPECT_FLOAT_EQ(got.first, first);
  EXPECT_FLOAT_EQ(got.delta, delta);
}

TEST(Scale, DocumentedCases) {
  struct Case {
    float a, b, length;
    int stride;
    float first, delta;
  };
  const Case cases[] = {
      {0.0f, 10.0f, 5.0f, 1, 0.0f, 2.0f},
      {3.0f, 97.0f, 10.0f, 1, 0.0f, 10.0f},
      {-7.3f, 12.1f, 6.0f, 1, -8.0f, 4.0f},
      {-5.0f, -1.0f, 4.0f, 1, -5.0f, 1.0f},
      {3.0f, 17.0f, 4.0f, 1, 3.0f, 4.0f},      // the decade start fits where the interval start does not
      {0.5f, 10.4f, 2.0f, 1, 0.0f, 8.0f},      // the loop moves on past 5 to 8
      {95.0f, 105.0f, 1.0f, 1, 90.0f, 20.0f},
      {95.0f, 105.0f, 2.0f, 1, 95.0f, 5.0f},
      {20.5f, 23.0f, 10.0f, 1, 20.0f, 0.4f},   // centring moves 20.4 down one interval
      {0.5f, 3.0f, 10.0f, 1, 0.0f, 0.4f},      // centring crosses zero: kept at 0
      {5.0f, 5.0f, 4.0f, 1, 0.0f, 4.0f},
      {5.0f, 5.0f, 4.0f, -1, 16.0f, -4.0f},
      {0.0f, 0.0f, 4.0f, 1, 0.0f, 1.0f},
      {0.0f, 10.0f, 5.0f, -1, 10.0f, -2.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << ", " << c.b << " length " << c.length << " stride " << c.stride);
    expect_pair(scale_two(c.a, c.b, c.length, c.stride), c.first, c.delta);
  }
}

TEST(Scale, NegativeAndZeroLengthsWorkAsLengthOne) {
  const Pair one = scale_two(95.0f, 105.0f, 1.0f);
  for (float length : {-3.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()}) {
    const Pair p = scale_two(95.0f, 105.0f, length);
    EXPECT_EQ(p.first, one.first) << length;
    EXPECT_EQ(p.delta, one.delta) << length;
  }
}

TEST(Scale, LengthsBeyondTheLongestAreClamped) {
  const Pair longest = scale_two(0.0f, 1e6f, 32767.0f);
  const Pair beyond = scale_two(0.0f, 1e6f, 1e9f);
  EXPECT_EQ(beyond.first, longest.first);
  EXPECT_EQ(beyond.delta, longest.delta);
}

TEST(Scale, StrideSpacesTheDataAndThePair) {
  // Three values at stride 2: data at 0, 2, 4; pair at 6 and 8.
  std::vector<float> v = {0.0f, 55.0f, 3.0f, 55.0f, 10.0f, 55.0f, -1.0f, 55.0f, -1.0f};
  plume::scale(v, 5.0f, 3, 2);
  EXPECT_FLOAT_EQ(v[6], 0.0f);
  EXPECT_FLOAT_EQ(v[8], 2.0f);
  EXPECT_EQ(v[1], 55.0f);  // elements between are not read as data nor written
  EXPECT_EQ(v[7], 55.0f);
}

TEST(Scale, CountZeroScansOnlyTheFirstValueAndWritesAtItsPlaces) {
  // ymin = ymax = 5 as for equal values: (0, 4) at elements 1 and 1 + k.
  std::vector<float> v = {5.0f, 7.0f, 9.0f};
  plume::scale(v, 4.0f, 0, 2);
  EXPECT_FLOAT_EQ(v[0], 0.0f);
  EXPECT_EQ(v[1], 7.0f);
  EXPECT_FLOAT_EQ(v[2], 4.0f);
}

TEST(Scale, StrideZeroWritesBothResultsToTheFirstElementIncrementLast) {
  std::vector<float> v = {5.0f, 100.0f};
  plume::scale(v, 4.0f, 2, 0);
  EXPECT_FLOAT_EQ(v[0], -4.0f);
  EXPECT_EQ(v[1], 100.0f);
}

TEST(Scale, ShortAxesGoOnPastTheSevenStepsAndStillCoverTheData) {
  // 1050 .. 1051 on 0.01 units: interval 100 per unit, decade start 1000;
  // steps up to 20 (2000 per unit) leave 1051 uncovered, 40 covers it.
  expect_pair(scale_two(1050.0f, 1051.0f, 0.01f), 1000.0f, 4000.0f);
  for (float length : {0.05f, 0.01f, 0.001f, 1e-6f}) {
    for (float low : {0.0f, 1050.0f, 1.0e4f + 5.0e3f}) {
      const Pair p = scale_two(low, low + 1.0f, length);
      SCOPED_TRACE(testing::Message() << "length " << length << " low " << low);
      ASSERT_TRUE(std::isfinite(p.first) && std::isfinite(p.delta));
      EXPECT_LE(p.first, low);
      EXPECT_GE(p.first + (length + 0.01f) * p.delta, low + 1.0f);
    }
  }
}

TEST(Scale, NonFiniteDataEndWithoutHanging) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  (void)scale_two(nan, 1.0f, 4.0f);
  (void)scale_two(-inf, inf, 4.0f);
  const Pair p = scale_two(0.0f, inf, 4.0f);
  EXPECT_FALSE(std::isfinite(p.delta));
}

TEST(Scale, RejectsCallsOutsideTheArray) {
  std::vector<float> v = {1.0f, 2.0f, 3.0f};
  const std::vector<float> before = v;
  plume::scale(v, 4.0f, -1, 1);  // would write before the array
  EXPECT_EQ(v, before);
  plume::scale(v, 4.0f, 2, 1);  // needs 4 elements
  EXPECT_EQ(v, before);
  plume::scale(std::span<float>(v.data(), 0), 4.0f, 0, 0);
  EXPECT_EQ(v, before);
}

TEST(Scale, FortranFaceFindsThePairFromCountAndStride) {
  // Exactly the extent count * k + k + 1 is allocated, so a sanitizer
  // would catch any access beyond it.
  const int count = 3, stride = -2;
  std::vector<float> v(static_cast<std::size_t>(count * 2 + 2 + 1), 0.0f);
  v[0] = 0.0f;
  v[2] = 10.0f;
  v[4] = 4.0f;
  const float length = 5.0f;
  scale_(v.data(), &length, &count, &stride);
  EXPECT_FLOAT_EQ(v[6], 10.0f);
  EXPECT_FLOAT_EQ(v[8], -2.0f);
  const int negative = -4;
  float one = 7.0f;
  scale_(&one, &length, &negative, &stride);
  EXPECT_EQ(one, 7.0f);
}

}  // namespace
