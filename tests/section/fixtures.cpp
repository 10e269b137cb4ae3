#include "section/fixtures.hpp"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/document.hpp"

namespace section_test {
namespace {

std::string source_dir() {
  const char* dir = std::getenv("PLUME_SOURCE_DIR");
  return dir ? dir : ".";
}
std::string binary_dir() {
  const char* dir = std::getenv("PLUME_BINARY_DIR");
  return dir ? dir : ".";
}
std::string quote(const std::string& s) {
  std::string out = "'";
  for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}
std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

std::string fresh_path(const std::string& name) {
  static int serial = 0;
  return plume::testing::temp_path(std::to_string(++serial) + "-" + name);
}

bool segyio_available() {
  static const bool available = std::system("/usr/bin/python3 -c 'import segyio' > /dev/null 2>&1") == 0;
  return available;
}

void write_segy(const std::string& path, const SegyLayout& layout) {
  std::ostringstream json;
  json.precision(9);
  json << "{\"format\": " << layout.format << ", \"endian\": \"" << (layout.big_endian ? "big" : "little")
       << "\", \"revision\": " << layout.revision << ", \"interval_us\": " << layout.interval_us
       << ", \"delay_ms\": " << layout.delay_ms;
  if (layout.time_scalar) json << ", \"time_scalar\": " << *layout.time_scalar;
  if (layout.recorded) {
    json << ", \"recorded\": [";
    for (std::size_t k = 0; k < 6; ++k) json << (k ? ", " : "") << (*layout.recorded)[k];
    json << "]";
  }
  if (layout.seismic_unix) json << ", \"seismic_unix\": true";
  json << ", \"traces\": [";
  for (std::size_t t = 0; t < layout.traces.size(); ++t) {
    json << (t ? ", " : "") << "{\"offset\": " << layout.traces[t].offset << ", \"scalar\": " << layout.traces[t].scalar
         << ", \"samples\": [";
    for (std::size_t i = 0; i < layout.traces[t].samples.size(); ++i) json << (i ? ", " : "") << layout.traces[t].samples[i];
    json << "]}";
  }
  json << "]}";
  const std::string layout_path = path + ".json";
  std::ofstream(layout_path) << json.str();
  const std::string command = "/usr/bin/python3 " + quote(source_dir() + "/tools/make_segy_fixture.py") + " " +
                              quote(layout_path) + " " + quote(path) + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("segyio could not write " + path);
}

void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes) { write_file(path, bytes); }

std::vector<unsigned char> read_bytes(const std::string& path) {
  const std::string s = slurp(path);
  return {s.begin(), s.end()};
}

SectionRun run_section(const std::vector<std::string>& args, const std::string& output) {
  const std::string err = fresh_path("stderr.txt");
  const std::string out = fresh_path("stdout.txt");
  std::string command = quote(binary_dir() + "/section/plume-section");
  // Appended piece by piece: GCC 12 warns wrongly on chains of operator+.
  for (const std::string& a : args) command.append(" ").append(quote(a));
  if (!output.empty()) command.append(" -o ").append(quote(output));
  command.append(" > ").append(quote(out)).append(" 2> ").append(quote(err)).append(" < /dev/null");
  const int raw = std::system(command.c_str());
  SectionRun run;
  // The shell reports a signal death as 128 + the signal.
  const int code = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.status = code > 128 ? -1 : code;
  run.err = slurp(err);
  run.out = slurp(out);
  if (!output.empty()) run.document = slurp(output);
  return run;
}

std::vector<Motion> motions(const std::string& document) {
  std::vector<Motion> result;
  std::istringstream in(document);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 4 || line[line.size() - 3] != ' ' || line[line.size() - 2] != 'p') continue;
    const char op = line.back();
    if (op != 'Q' && op != 'L' && op != 'M') continue;
    Motion m{};
    if (std::sscanf(line.c_str(), "%lf %lf", &m.x, &m.y) != 2) continue;
    m.op = op;
    result.push_back(m);
  }
  return result;
}

std::vector<std::vector<Motion>> polylines(const std::string& document, std::size_t min_points,
                                           std::size_t max_points) {
  std::vector<std::vector<Motion>> all;
  std::vector<Motion> current;
  const auto flush = [&] {
    const bool rising = std::adjacent_find(current.begin(), current.end(),
                                           [](const Motion& a, const Motion& b) { return b.x <= a.x; }) == current.end();
    if (rising && current.size() >= min_points && current.size() <= max_points) all.push_back(current);
    current.clear();
  };
  for (const Motion& m : motions(document)) {
    if (m.op != 'L') flush();
    current.push_back(m);
  }
  flush();
  return all;
}

int count_lines(const std::string& document, const std::string& wanted) {
  std::istringstream in(document);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) n += line == wanted;
  return n;
}

std::vector<float> test_wavelet(std::size_t n, float peak) {
  std::vector<float> s(n, 0.0f);
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double phase = 2.0 * M_PI * static_cast<double>(i) / static_cast<double>(n - 1);
    s[i] = static_cast<float>(peak * std::sin(phase));
  }
  return s;
}

}  // namespace section_test
