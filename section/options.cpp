#include "section/options.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <cmath>
#include <cstdlib>
#include <string_view>

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

// xsymbol sets at most 80 characters, and at most 100 once its parentheses
// are escaped.
constexpr std::size_t kTitleCharacters = 80;
constexpr std::size_t kTitleEscaped = 100;

constexpr const char* kPickNames[kPickCount] = {"o", "a", "t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8", "t9"};

// The drawing and layout options: true when args[i] was one (i then
// stands on its last value).
bool parse_drawing_option(const std::vector<std::string>& args, std::size_t& i, DrawingOptions& d) {
  const std::string& a = args[i];
  const auto value = [&](std::size_t k = 1) -> const std::string& {
    if (i + k >= args.size()) throw UsageError(a + " needs " + std::to_string(k) + " value" + (k > 1 ? "s" : ""));
    return args[i + k];
  };
  if (a == "--size") {
    d.size_cm = positive(a, value());
    i += 1;
  } else if (a == "--sort") {
    static constexpr std::pair<std::string_view, SortKey> kKeys[] = {
        {"distance", SortKey::distance}, {"azimuth", SortKey::azimuth}, {"backazimuth", SortKey::backazimuth},
        {"name", SortKey::name},         {"none", SortKey::none}};
    const auto key = std::find_if(std::begin(kKeys), std::end(kKeys), [&](const auto& k) { return k.first == value(); });
    if (key == std::end(kKeys)) throw UsageError("--sort: \"" + value() + "\" is not distance, azimuth, backazimuth, name or none");
    d.sort = key->second;
    i += 1;
  } else if (a == "--select") {
    if (value().empty()) throw UsageError("--select needs a pattern such as IU.*.*.BHZ");
    d.select.push_back(value());
    i += 1;
  } else if (a == "--select-distance") {
    const double low = number(a, value(1));
    const double high = number(a, value(2));
    if (high < low) throw UsageError("--select-distance: the end " + value(2) + " is below the start " + value(1));
    d.select_distance = std::pair{low, high};
    i += 2;
  } else if (a == "--distance-unit") {
    if (value() == "km") {
      d.distance_unit = DistanceUnit::km;
    } else if (value() == "deg") {
      d.distance_unit = DistanceUnit::deg;
    } else if (value() == "m") {
      d.distance_unit = DistanceUnit::m;
    } else {
      throw UsageError("--distance-unit: \"" + value() + "\" is not km, deg or m");
    }
    i += 1;
  } else if (a == "--align") {
    d.align = pick_named(value());
    if (!d.align) throw UsageError("--align: \"" + value() + "\" is not a header time (o, a, t0 ... t9)");
    i += 1;
  } else if (a == "--shift") {
    d.shift_file = value();
    if (d.shift_file.empty()) throw UsageError("--shift needs a file name");
    i += 1;
  } else if (a == "--time") {
    if (value() == "relative") {
      d.time = TimeLabels::relative;
    } else if (value() == "absolute") {
      d.time = TimeLabels::absolute;
    } else {
      throw UsageError("--time: \"" + value() + "\" is not relative or absolute");
    }
    i += 1;
  } else if (a == "--vertical") {
    d.vertical = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::optional<Pick> pick_named(const std::string& name) {
  for (std::size_t p = 0; p < kPickCount; ++p) {
    if (name == kPickNames[p]) return static_cast<Pick>(p);
  }
  return std::nullopt;
}

const char* pick_name(Pick pick) { return kPickNames[static_cast<std::size_t>(pick)]; }

std::string drawable_title(const std::string& title) {
  std::string text;
  std::size_t escaped = 0;
  for (std::size_t k = 0; k < title.size(); ++k) {
    const auto c = static_cast<unsigned char>(title[k]);
    if (c < ' ' || c >= 127) {
      char where[96];
      std::snprintf(where, sizeof where, "--title: character %zu (byte 0x%02X) cannot be drawn: printable ASCII only",
                    k + 1, c);
      throw UsageError(where);
    }
    if (c == '\\') text += '\\';  // shown as itself, not as an escape
    text += static_cast<char>(c);
    escaped += c == '(' || c == ')' ? 2 : 1;
  }
  escaped += text.size() - title.size();
  if (text.size() > kTitleCharacters || escaped > kTitleEscaped) {
    throw UsageError("--title: " + std::to_string(title.size()) +
                     " characters is too long: at most 80 can be drawn (a backslash counts twice, "
                     "a parenthesis twice toward a limit of 100)");
  }
  return text;
}

const char* usage_text() {
  return "usage: plume-section [options] FILE...\n"
         "Draws a record section from SAC, SEG-Y, miniSEED and trace files (detected by content).\n"
         "\n"
         "  -o FILE              output document (default section.eps; format by extension)\n"
         "  --fill               fill the positive lobes (variable area)\n"
         "  --normalize MODE     trace (default): each trace to its own peak;\n"
         "                       all: every trace to the largest peak; none: samples as they stand\n"
         "  --scale S            peak deflection in typical trace spacings (default 0.5)\n"
         "  --size CM            draw the largest amplitude CM centimetres from its baseline\n"
         "  --clip X             limit deflections to X trace spacings\n"
         "  --window T0 T1       draw times T0 to T1 seconds only\n"
         "  --reduce V           reduction velocity in km/s: time axis T - |distance|/V\n"
         "  --resolution DPI     thin dense samples to their extremes per 1/DPI inch\n"
         "                       of the time axis (default 600); 0 draws every sample\n"
         "  --title TEXT         title above the section (printable ASCII, at most 80 characters)\n"
         "  --sort KEY           distance (default when every trace has one), azimuth,\n"
         "                       backazimuth (placed by angle), name or none (evenly, in that order)\n"
         "  --select PATTERN     only traces whose NET.STA.LOC.CHA matches (* and ?); repeatable\n"
         "  --select-distance D0 D1  only traces from D0 to D1 on the position axis\n"
         "  --distance-unit U    km, deg or m (SAC dist and gcarc converted)\n"
         "  --align PICK         zero time at each trace's SAC o, a or t0 ... t9\n"
         "                       (traces without it are left out)\n"
         "  --shift FILE         per-trace shifts: lines \"NET.STA.LOC.CHA|FILE SECONDS\"\n"
         "  --time MODE          relative (default) or absolute: UTC time of day on the axis\n"
         "  --vertical           time downwards, traces side by side\n"
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
    } else if (a == "--title") {
      o.title = value();
      drawable_title(o.title);
      ++i;
    } else if (parse_drawing_option(args, i, o.drawing)) {
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  if (!o.help && !o.version && o.inputs.empty()) throw UsageError("no input files");
  return o;
}

}  // namespace section
