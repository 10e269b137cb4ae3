#include "section/options.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace section {
namespace {

// Values beyond this are no drawing: a time or distance far past any
// record, a scale or clip that sends every wiggle off the page.
constexpr double kLargestValue = 1e12;

double number(const std::string& option, const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value)) {
    throw UsageError(option + ": \"" + text + "\" is not a finite number");
  }
  if (std::fabs(value) > kLargestValue) throw UsageError(option + ": " + text + " is beyond 1e12");
  return value;
}

double positive(const std::string& option, const std::string& text) {
  const double value = number(option, text);
  if (!(value >= 1e-6)) throw UsageError(option + ": " + text + " must be at least 1e-6");
  return value;
}

// The processing options, each trace before it is drawn: consumes the
// option at args[i] (and its values, advancing i) when it is one of them.
bool processing_option(const std::vector<std::string>& args, std::size_t& i, Processing& p) {
  const std::string& a = args[i];
  const auto value = [&](std::size_t k) -> const std::string& {
    if (i + k >= args.size()) throw UsageError(a + " needs " + std::to_string(k) + " value" + (k > 1 ? "s" : ""));
    return args[i + k];
  };
  const auto filter = [&]() -> Filter& {
    if (!p.filter) p.filter = Filter{};
    return *p.filter;
  };
  if (a == "--no-demean") {
    p.demean = false;
  } else if (a == "--detrend") {
    p.detrend = true;
  } else if (a == "--taper") {
    p.taper = number(a, value(1));
    if (!(p.taper > 0 && p.taper <= 0.5)) throw UsageError("--taper: " + value(1) + " must lie above 0 and at most 0.5");
    i += 1;
  } else if (a == "--filter") {
    const std::string& kind = value(1);
    Filter& f = filter();
    if (kind == "bp") {
      f.kind = Filter::Kind::bandpass;
      f.low_hz = positive(a, value(2));
      f.high_hz = positive(a, value(3));
      if (!(f.high_hz > f.low_hz)) throw UsageError("--filter bp: the upper corner " + value(3) + " must lie above the lower " + value(2));
      i += 3;
    } else if (kind == "lp" || kind == "hp") {
      f.kind = kind == "lp" ? Filter::Kind::lowpass : Filter::Kind::highpass;
      (kind == "lp" ? f.high_hz : f.low_hz) = positive(a, value(2));
      i += 2;
    } else {
      throw UsageError("--filter: \"" + kind + "\" is not bp, lp or hp");
    }
  } else if (a == "--filter-order") {
    const double order = number(a, value(1));
    if (order != std::floor(order) || order < 1 || order > kMaxFilterOrder) {
      throw UsageError("--filter-order: " + value(1) + " is not a whole number from 1 to " + std::to_string(kMaxFilterOrder));
    }
    filter().order = static_cast<int>(order);
    i += 1;
  } else if (a == "--causal") {
    filter().zero_phase = false;
  } else if (a == "--integrate") {
    p.integrate = true;
  } else if (a == "--differentiate") {
    p.differentiate = true;
  } else {
    return false;
  }
  return true;
}

// --filter-order and --causal shape a filter that --filter must name.
void check_processing(const Processing& p) {
  if (p.filter && p.filter->high_hz == 0 && p.filter->low_hz == 0) {
    throw UsageError("--filter-order and --causal need --filter");
  }
  if (p.integrate && p.differentiate) throw UsageError("--integrate and --differentiate exclude each other");
}

}  // namespace

const char* usage_text() {
  return "usage: plume-section [options] FILE...\n"
         "Draws a record section from SAC, SEG-Y, miniSEED and trace files (detected by content).\n"
         "\n"
         "  -o FILE              output document (default section.eps; format by extension)\n"
         "  --fill               fill the positive lobes (variable area)\n"
         "  --normalize MODE     trace (default): each trace to its own peak;\n"
         "                       all: every trace to the largest peak; none: samples as they stand\n"
         "  --scale S            peak deflection in trace spacings (default 1)\n"
         "  --clip X             limit deflections to X trace spacings\n"
         "  --window T0 T1       draw times T0 to T1 seconds only\n"
         "  --reduce V           reduction velocity in km/s: time axis T - |distance|/V\n"
         "  --resolution DPI     thin dense samples to their extremes per 1/DPI inch\n"
         "                       of the time axis (default 600); 0 draws every sample\n"
         "  --title TEXT         title above the section\n"
         "\n"
         "Processing of each trace, in this order:\n"
         "  --no-demean          keep each trace's mean (removed by default)\n"
         "  --detrend            remove the least-squares line\n"
         "  --taper FRACTION     cosine taper over FRACTION (at most 0.5) of the trace at each end\n"
         "  --filter bp F1 F2    Butterworth bandpass F1 to F2 Hz; also lp F, hp F\n"
         "  --filter-order N     order of the filter, 1 to 10 (default 4)\n"
         "  --causal             one forward pass (default: forward and backward, zero phase)\n"
         "  --integrate          integrate (trapezoids from 0)\n"
         "  --differentiate      differentiate (central differences)\n"
         "  --help               this text\n"
         "  --version            the version\n"
         "\n"
         "Exit status: 0 success, 1 the document could not be written, 2 bad input or options.\n";
}

Options parse_options(const std::vector<std::string>& args) {
  Options o;
  bool only_files = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](int k = 1) -> const std::string& {
      if (i + static_cast<std::size_t>(k) >= args.size()) throw UsageError(a + " needs " + std::to_string(k) + " value" + (k > 1 ? "s" : ""));
      return args[i + static_cast<std::size_t>(k)];
    };
    if (only_files || a.empty() || a[0] != '-' || a == "-") {
      o.inputs.push_back(a);
    } else if (a == "--") {
      only_files = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "-o" || a == "--output") {
      o.output = value();
      if (o.output.empty()) throw UsageError(a + " needs a file name");
      ++i;
    } else if (a == "--fill") {
      o.fill = true;
    } else if (a == "--normalize") {
      const std::string& mode = value();
      if (mode == "trace") {
        o.normalize = Normalize::trace;
      } else if (mode == "all") {
        o.normalize = Normalize::all;
      } else if (mode == "none") {
        o.normalize = Normalize::none;
      } else {
        throw UsageError("--normalize: \"" + mode + "\" is not trace, all or none");
      }
      ++i;
    } else if (a == "--scale") {
      o.scale = positive(a, value());
      ++i;
    } else if (a == "--clip") {
      o.clip = positive(a, value());
      ++i;
    } else if (a == "--window") {
      const double t0 = number(a, value(1));
      const double t1 = number(a, value(2));
      if (!(t1 > t0)) throw UsageError("--window: the end " + value(2) + " must be later than the start " + value(1));
      o.window = std::pair{t0, t1};
      i += 2;
    } else if (a == "--reduce") {
      o.reduce = positive(a, value());
      ++i;
    } else if (a == "--resolution") {
      o.resolution = number(a, value());
      if (o.resolution != 0 && !(o.resolution >= 1)) throw UsageError("--resolution: " + value() + " must be 0 or at least 1");
      ++i;
    } else if (processing_option(args, i, o.processing)) {
      // handled with the other processing options
    } else if (a == "--title") {
      o.title = value();
      ++i;
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  check_processing(o.processing);
  if (!o.help && !o.version && o.inputs.empty()) throw UsageError("no input files");
  return o;
}

}  // namespace section
