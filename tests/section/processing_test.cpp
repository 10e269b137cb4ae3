// The processing options as the command line gives them, and the filters
// a trace's sampling cannot carry (the responses themselves are compared
// with scipy by processing_check.py).
#include <gtest/gtest.h>

#include <stdexcept>

#include "section/options.hpp"
#include "section/processing.hpp"

namespace {

section::Options parsed(std::vector<std::string> args) {
  args.emplace_back("in.sac");
  return section::parse_options(args);
}

TEST(ProcessingOptions, EachOptionSetsItsStep) {
  const section::Options o = parsed({"--no-demean", "--detrend", "--taper", "0.1", "--filter", "bp", "0.5", "2",
                                     "--filter-order", "6", "--causal", "--integrate"});
  const section::Processing& p = o.processing;
  EXPECT_FALSE(p.demean);
  EXPECT_TRUE(p.detrend);
  EXPECT_EQ(p.taper, 0.1);
  ASSERT_TRUE(p.filter.has_value());
  EXPECT_EQ(p.filter->kind, section::Filter::Kind::bandpass);
  EXPECT_EQ(p.filter->low_hz, 0.5);
  EXPECT_EQ(p.filter->high_hz, 2.0);
  EXPECT_EQ(p.filter->order, 6);
  EXPECT_FALSE(p.filter->zero_phase);
  EXPECT_TRUE(p.integrate);
  EXPECT_EQ(o.inputs, std::vector<std::string>{"in.sac"});

  const section::Processing plain = parsed({}).processing;
  EXPECT_TRUE(plain.demean);
  EXPECT_FALSE(plain.filter.has_value());
  const section::Filter hp = *parsed({"--filter", "hp", "3"}).processing.filter;
  EXPECT_EQ(hp.kind, section::Filter::Kind::highpass);
  EXPECT_EQ(hp.low_hz, 3.0);
  EXPECT_EQ(hp.order, 4);
  EXPECT_TRUE(hp.zero_phase);
  EXPECT_EQ(parsed({"--filter-order", "2", "--filter", "lp", "1"}).processing.filter->order, 2) << "in any order";
}

TEST(ProcessingOptions, MeaninglessValuesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--taper", "0.6"},          {"--taper", "0"},          {"--filter", "bs", "1", "2"},
      {"--filter", "bp", "2", "1"}, {"--filter", "lp"},        {"--filter", "lp", "-1"},
      {"--filter-order", "0", "--filter", "lp", "1"},          {"--filter-order", "2.5", "--filter", "lp", "1"},
      {"--filter-order", "11", "--filter", "lp", "1"},         {"--causal"},
      {"--integrate", "--differentiate"}};
  for (const auto& args : bad) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_THROW(parsed(args), section::UsageError) << joined;
  }
}

TEST(ProcessingLimits, CornersAtOrAboveNyquistAreNamed) {
  section::Processing p;
  p.filter = section::Filter{section::Filter::Kind::lowpass, 0, 50.0, 4, true};
  EXPECT_EQ(section::processing_problem(p, 0.005), "");  // Nyquist 100 Hz
  const std::string problem = section::processing_problem(p, 0.01);  // Nyquist 50 Hz
  EXPECT_NE(problem.find("50 Hz"), std::string::npos) << problem;
  EXPECT_NE(problem.find("Nyquist"), std::string::npos) << problem;
  std::vector<double> samples{1, 2, 3};
  EXPECT_THROW(section::process(samples, 0.01, p), std::invalid_argument);
  p.filter = section::Filter{section::Filter::Kind::bandpass, 10, 60, 4, true};
  EXPECT_NE(section::processing_problem(p, 0.01), "");
}

TEST(ProcessingLimits, ShortTracesAreProcessedWithoutFault) {
  section::Processing p;
  p.detrend = true;
  p.taper = 0.5;
  p.filter = section::Filter{section::Filter::Kind::bandpass, 1, 5, 10, true};
  p.differentiate = true;
  for (std::size_t n = 0; n < 4; ++n) {
    std::vector<double> samples(n, 2.0);
    section::process(samples, 0.01, p);
    for (const double v : samples) EXPECT_EQ(v, 0.0) << n << " samples";  // a constant has nothing left
  }
}

}  // namespace
