#include "section/formats.hpp"

#include <algorithm>
#include <array>

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
  }
  return "unknown";
}

Format detect_format(const std::string& path) {
  const InputFile file(path);
  std::array<unsigned char, segy::kFileHeaderBytes> head{};
  const std::size_t size = file.read_some(0, head.data(), head.size());
  // miniSEED first: a SEG-Y format code could turn up by chance inside a
  // long record, but no SEG-Y or SAC header starts like a record header.
  if (miniseed::looks_like_miniseed(head.data(), size)) return Format::miniseed;
  if (sac::looks_like_sac(head.data(), size)) return Format::sac;
  if (segy::looks_like_segy(head.data(), size)) return Format::segy;
  if (looks_like_text(head.data(), std::min<std::size_t>(size, 512))) return Format::trace_file;
  if (size == 0) fail(path, 0, "", "the file is empty");
  fail(path, 0, "", "unknown format (not SAC, SEG-Y, miniSEED or a trace file)");
}

void read_traces(const std::string& path, Format format, TraceVisitor& visitor, bool with_samples) {
  switch (format) {
    case Format::sac: sac::read(path, visitor, with_samples); break;
    case Format::segy: segy::read(path, visitor, with_samples); break;
    case Format::miniseed: miniseed::read(path, visitor, with_samples); break;
    case Format::trace_file: trace_file::read(path, visitor, with_samples); break;
  }
}

}  // namespace section
