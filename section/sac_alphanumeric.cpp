// Alphanumeric SAC files: the binary header's words as text, line by line,
// then the samples, read as a stream (one chunk of samples at a time).
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "section/input_error.hpp"
#include "section/input_file.hpp"
#include "section/sac_header.hpp"
#include "section/sac_reader.hpp"

namespace section::sac {
namespace {

constexpr int kFloatLines = 14;  // five floats a line
constexpr int kIntLines = 8;     // five integers a line
constexpr int kTextLines = 8;    // three eight-byte fields (kstnm and the 16-byte kevnm first)
constexpr int kPerLine = 5;
constexpr std::size_t kTextLineBytes = 24;
constexpr std::size_t kLongestLine = 4096;
constexpr std::size_t kChunkSamples = 1 << 16;

// Lines of a text held in memory (the head, for detection) or read from a
// file through a buffer.
class Lines {
 public:
  Lines(const unsigned char* text, std::size_t size) : buffer_(text, text + size), complete_(true) {}
  explicit Lines(const InputFile& file) : file_(&file) {}

  // The next line without its line end; false at the end of the text.
  bool next(std::string& line) {
    line.clear();
    while (true) {
      if (at_ == buffer_.size() && !refill()) {
        if (line.empty()) return false;
        break;
      }
      const char c = buffer_[at_++];
      if (c == '\n') break;
      if (c != '\r') line += c;
      if (line.size() > kLongestLine) fail(name(), 0, "line " + std::to_string(number_ + 1), "longer than 4096 characters");
    }
    ++number_;
    return true;
  }
  long long number() const { return number_; }
  std::string name() const { return file_ ? file_->path() : std::string("text"); }

 private:
  bool refill() {
    if (complete_ || !file_) return false;
    buffer_.resize(1 << 16);
    const std::size_t got = file_->read_some(offset_, buffer_.data(), buffer_.size());
    buffer_.resize(got);
    offset_ += got;
    at_ = 0;
    complete_ = got == 0;
    return got > 0;
  }

  std::vector<char> buffer_;
  std::size_t at_ = 0;
  std::uint64_t offset_ = 0;
  const InputFile* file_ = nullptr;
  bool complete_ = false;
  long long number_ = 0;
};

// The blank-separated numbers of a line, each read whole; false when a
// word is not a number.
template <typename T>
bool numbers(const std::string& line, std::vector<T>& out) {
  out.clear();
  const char* p = line.c_str();
  while (true) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') return true;
    char* end = nullptr;
    errno = 0;
    if constexpr (std::is_floating_point_v<T>) {
      out.push_back(static_cast<T>(std::strtod(p, &end)));
    } else {
      const long v = std::strtol(p, &end, 10);
      if (v < INT32_MIN || v > INT32_MAX) return false;
      out.push_back(static_cast<T>(v));
    }
    if (end == p || errno == ERANGE || (*end != ' ' && *end != '\t' && *end != '\0')) return false;
    p = end;
  }
}

// Reads the header lines into `raw`; `strict` reports what is wrong, else
// false is returned for text that is not such a header.
bool read_header(Lines& lines, RawHeader& raw, bool strict) {
  std::string line;
  std::vector<double> floats;
  std::vector<std::int32_t> ints;
  const auto bad = [&](const std::string& what) {
    if (strict) fail(lines.name(), 0, "line " + std::to_string(lines.number()), what);
    return false;
  };
  for (int l = 0; l < kFloatLines; ++l) {
    if (!lines.next(line)) return bad("the file ends inside the header");
    if (!numbers(line, floats) || floats.size() != kPerLine) return bad("not five header floats");
    for (int k = 0; k < kPerLine; ++k) {
      raw.floats[static_cast<std::size_t>(l * kPerLine + k)] = static_cast<float>(floats[static_cast<std::size_t>(k)]);
    }
  }
  for (int l = 0; l < kIntLines; ++l) {
    if (!lines.next(line)) return bad("the file ends inside the header");
    if (!numbers(line, ints) || ints.size() != kPerLine) return bad("not five header integers");
    for (int k = 0; k < kPerLine; ++k) raw.ints[static_cast<std::size_t>(l * kPerLine + k)] = ints[static_cast<std::size_t>(k)];
    // The header version is known on the second integer line: stop early
    // on text that is something else.
    if (l == 1 && raw.word_i(kNvhdr) != 6 && raw.word_i(kNvhdr) != 7) return bad("nvhdr: not a SAC header version (6 or 7)");
    if (!strict && l == 1) return true;
  }
  for (int l = 0; l < kTextLines; ++l) {
    if (!lines.next(line)) return bad("the file ends inside the header");
    line.resize(kTextLineBytes, ' ');
    raw.text.replace(static_cast<std::size_t>(l) * kTextLineBytes, kTextLineBytes, line, 0, kTextLineBytes);
  }
  return true;
}

void read_samples(Lines& lines, std::int32_t npts, double delta, double begin, TraceVisitor* visitor) {
  std::string line;
  std::vector<double> row;
  std::vector<float> chunk;
  std::int64_t done = 0;
  std::int64_t chunk_first = 0;
  while (lines.next(line)) {
    if (!numbers(line, row)) fail(lines.name(), 1, "line " + std::to_string(lines.number()), "a sample is not a number");
    for (const double v : row) {
      if (done == npts) fail(lines.name(), 1, "line " + std::to_string(lines.number()), "more samples than npts " + std::to_string(npts));
      if (!std::isfinite(static_cast<float>(v))) {
        fail(lines.name(), 1, "sample " + std::to_string(done + 1), "not a finite number");
      }
      ++done;
      if (!visitor) continue;
      chunk.push_back(static_cast<float>(v));
      if (chunk.size() == kChunkSamples) {
        visitor->samples(0, begin + static_cast<double>(chunk_first) * delta, chunk);
        chunk_first = done;
        chunk.clear();
      }
    }
  }
  if (done < npts) {
    fail(lines.name(), 1, "npts", "the file ends after " + std::to_string(done) + " of " + std::to_string(npts) + " samples");
  }
  if (visitor && !chunk.empty()) visitor->samples(0, begin + static_cast<double>(chunk_first) * delta, chunk);
}

}  // namespace

bool looks_like_sac_alphanumeric(const unsigned char* head, std::size_t size) {
  Lines lines(head, size);
  RawHeader raw;
  return read_header(lines, raw, false);
}

void read_alphanumeric(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  const InputFile file(path);
  Lines lines(file);
  RawHeader raw;
  read_header(lines, raw, true);
  const TraceHeader header = trace_header(raw, std::nullopt, path);
  visitor.header(0, header);
  const std::int32_t npts = raw.word_i(kNpts);
  // The samples are counted in either pass: a short file is refused before
  // anything is drawn.
  read_samples(lines, npts, header.interval, header.begin, with_samples ? &visitor : nullptr);
  if (!with_samples) visitor.run(0, header.begin, npts);
}

}  // namespace section::sac
