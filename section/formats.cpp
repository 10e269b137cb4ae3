#include "section/formats.hpp"

#include <algorithm>
#include <array>
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
  }
  return "unknown";
}

Format detect_format(const std::string& path) {
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

// Whether the directory entry is one of the formats; else a note says why not.
bool usable_entry(const std::filesystem::directory_entry& entry, std::vector<std::string>& notes) {
  const std::string path = entry.path().string();
  std::error_code error;
  if (!entry.is_regular_file(error)) {
    notes.push_back(display_name(path) + ": skipped: not a regular file");
    return false;
  }
  try {
    const Format format = detect_format(path);
    if (format == Format::trace_file) {
      NoVisitor none;
      read_traces(path, format, none, false);
    }
    return true;
  } catch (const InputError& e) {
    notes.push_back(std::string(e.what()) + " (skipped)");
    return false;
  }
}

}  // namespace

std::vector<std::string> expand_directories(const std::vector<std::string>& arguments, std::vector<std::string>& notes) {
  std::vector<std::string> files;
  for (const std::string& argument : arguments) {
    std::error_code error;
    if (!std::filesystem::is_directory(argument, error)) {
      files.push_back(argument);
      continue;
    }
    std::vector<std::filesystem::directory_entry> entries;
    for (std::filesystem::directory_iterator it(argument, error), end; !error && it != end; it.increment(error)) {
      entries.push_back(*it);
    }
    if (error) fail(argument, 0, "", "cannot list the directory: " + error.message());
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    const std::size_t before = files.size();
    for (const auto& entry : entries) {
      if (usable_entry(entry, notes)) files.push_back(entry.path().string());
    }
    if (files.size() == before) {
      fail(argument, 0, "", "the directory holds no SAC, SEG-Y, Seismic Unix, miniSEED, SEED or trace files");
    }
  }
  return files;
}

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
    }
  } catch (const InputError& e) {
    throw e.read_as(format_name(format));
  }
}

}  // namespace section
