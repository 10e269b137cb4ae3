#include "section/formats.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <filesystem>
#include <span>

#include "section/input_error.hpp"
#include "section/input_file.hpp"
#include "section/miniseed_reader.hpp"
#include "section/sac_reader.hpp"
#include "section/segy_reader.hpp"
#include "section/trace_file_reader.hpp"

namespace section {
namespace {

struct Listed {
  std::string path;
  Format format;
};
std::map<std::string, std::vector<Listed>>& directory_listings();
std::vector<Listed> list_directory(const std::string& directory, std::vector<std::string>& notes);

// Text as a trace file holds it: printable ASCII, blanks and line ends.
bool looks_like_text(const unsigned char* head, std::size_t size) {
  if (size == 0) return false;
  return std::all_of(head, head + size, [](unsigned char c) {
    return (c >= 0x20 && c < 0x7f) || c == '\n' || c == '\r' || c == '\t';
  });
}

}  // namespace

const char* format_name(Format format) {
  switch (format) {
    case Format::sac: return "SAC";
    case Format::segy: return "SEG-Y";
    case Format::miniseed: return "miniSEED";
    case Format::trace_file: return "trace file";
    case Format::sac_alphanumeric: return "SAC alphanumeric";
    case Format::seismic_unix: return "Seismic Unix";
    case Format::seed_volume: return "SEED volume";
    case Format::directory: return "directory";
  }
  return "unknown";
}

Format detect_format(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    std::vector<std::string> notes;
    directory_listings()[path] = list_directory(path, notes);
    for (const std::string& note : notes) std::fprintf(stderr, "plume-section: %s\n", note.c_str());
    return Format::directory;
  }
  const InputFile file(path, InputFile::Reading::first);
  std::array<unsigned char, segy::kFileHeaderBytes> head{};
  const std::size_t size = file.read_some(0, head.data(), head.size());
  // miniSEED first: a SEG-Y format code could turn up by chance inside a
  // long record, but no SEG-Y or SAC header starts like a record header.
  if (miniseed::looks_like_miniseed(head.data(), size)) return Format::miniseed;
  if (miniseed::looks_like_seed_volume(head.data(), size)) return Format::seed_volume;
  if (sac::looks_like_sac(head.data(), size)) return Format::sac;
  // SEG-Y whose traces fill the file, then Seismic Unix, whose sample bytes
  // could hold a SEG-Y format code by chance, then SEG-Y to say what is wrong.
  if (segy::fits_segy(head.data(), size, file.size())) return Format::segy;
  if (segy::looks_like_seismic_unix(head.data(), size, file.size())) return Format::seismic_unix;
  if (segy::looks_like_segy(head.data(), size)) return Format::segy;
  if (sac::looks_like_sac_alphanumeric(head.data(), size)) return Format::sac_alphanumeric;
  if (looks_like_text(head.data(), std::min<std::size_t>(size, 512))) return Format::trace_file;
  if (size == 0) fail(path, 0, "", "the file is empty");
  fail(path, 0, "", "unknown format (not SAC, SEG-Y, miniSEED or a trace file)");
}

namespace {

// Reads and forgets: a text file is a trace file only when it reads as one.
class NoVisitor : public TraceVisitor {
 public:
  void header(std::size_t, const TraceHeader&) override {}
  void run(std::size_t, double, std::int64_t) override {}
  void samples(std::size_t, double, std::span<const float>) override {}
};

// The format of a directory entry; none, and a note saying why, when it is
// in none of them.
std::optional<Format> entry_format(const std::filesystem::directory_entry& entry, std::vector<std::string>& notes) {
  const std::string path = entry.path().string();
  std::error_code error;
  if (!entry.is_regular_file(error)) {
    notes.push_back(display_name(path) + ": skipped: not a regular file");
    return std::nullopt;
  }
  try {
    const Format format = detect_format(path);
    if (format == Format::trace_file) {
      NoVisitor none;
      read_traces(path, format, none, false);
    }
    return format;
  } catch (const InputError& e) {
    notes.push_back(std::string(e.what()) + " (skipped)");
    return std::nullopt;
  }
}

std::vector<Listed> list_directory(const std::string& directory, std::vector<std::string>& notes) {
  std::error_code error;
  std::vector<std::filesystem::directory_entry> entries;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(*it);
  }
  if (error) fail(directory, 0, "", "cannot list the directory: " + error.message());
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  std::vector<Listed> files;
  for (const auto& entry : entries) {
    if (const auto format = entry_format(entry, notes)) files.push_back({entry.path().string(), *format});
  }
  if (files.empty()) fail(directory, 0, "", "the directory holds no file in a format plume-section reads");
  return files;
}

}  // namespace

std::vector<std::string> directory_files(const std::string& directory, std::vector<std::string>& notes) {
  std::vector<std::string> paths;
  for (const Listed& file : list_directory(directory, notes)) paths.push_back(file.path);
  return paths;
}

namespace {

// The files of each directory as its detection listed them, so that every
// pass reads the same files.
std::map<std::string, std::vector<Listed>>& directory_listings() {
  static std::map<std::string, std::vector<Listed>> listings;
  return listings;
}

// Numbers the traces of the files of a directory one after the other.
class Consecutive : public TraceVisitor {
 public:
  explicit Consecutive(TraceVisitor& to) : to_(to) {}
  void next_file() {
    base_ += count_;
    count_ = 0;
  }
  void header(std::size_t t, const TraceHeader& h) override {
    count_ = std::max(count_, t + 1);
    to_.header(base_ + t, h);
  }
  void run(std::size_t t, double start, std::int64_t count) override { to_.run(base_ + t, start, count); }
  void samples(std::size_t t, double start, std::span<const float> values) override {
    to_.samples(base_ + t, start, values);
  }

 private:
  TraceVisitor& to_;
  std::size_t base_ = 0, count_ = 0;
};

void read_directory(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  const auto listing = directory_listings().find(path);
  if (listing == directory_listings().end()) fail(path, 0, "", "a directory read before its files were listed");
  Consecutive consecutive(visitor);
  for (const Listed& file : listing->second) {
    read_traces(file.path, file.format, consecutive, with_samples);
    consecutive.next_file();
  }
}

}  // namespace

void read_traces(const std::string& path, Format format, TraceVisitor& visitor, bool with_samples) {
  try {
    switch (format) {
      case Format::sac: sac::read(path, visitor, with_samples); break;
      case Format::sac_alphanumeric: sac::read_alphanumeric(path, visitor, with_samples); break;
      case Format::segy: segy::read(path, visitor, with_samples); break;
      case Format::seismic_unix: segy::read(path, visitor, with_samples, true); break;
      case Format::miniseed: miniseed::read(path, visitor, with_samples); break;
      case Format::seed_volume: miniseed::read_volume(path, visitor, with_samples); break;
      case Format::trace_file: trace_file::read(path, visitor, with_samples); break;
      case Format::directory: read_directory(path, visitor, with_samples); break;
    }
  } catch (const InputError& e) {
    throw e.read_as(format_name(format));
  }
}

}  // namespace section
