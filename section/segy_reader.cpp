#include "section/segy_reader.hpp"

#include <segyio/segy.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <cmath>
#include <memory>
#include <optional>
#include <chrono>
#include <algorithm>
#include <vector>

#include "section/byte_order.hpp"
#include "section/input_error.hpp"
#include "section/input_file.hpp"

namespace section::segy {
namespace {

// Byte offsets (from the start of the file) of binary header fields.
constexpr int kSampleIntervalAt = 3216;
constexpr int kSamplesAt = 3220;
constexpr int kFormatAt = 3224;
constexpr int kExtendedSamplesAt = 3268;  // revision 2
constexpr int kByteOrderMarkAt = 3296;    // revision 2: 0x01020304 as written
constexpr int kRevisionAt = 3500;         // major revision number, one byte
constexpr int kExtendedHeadersAt = 3504;
constexpr std::size_t kTextualHeaderBytes = 3200;
// Trace header fields, 1-based byte positions as segyio names them.
constexpr int kOffsetField = 37;
constexpr int kElevationScalarField = 69;
constexpr int kDelayField = 109;
constexpr int kTraceSamplesField = 115;
constexpr int kTraceIntervalField = 117;
constexpr int kYearField = 157;  // then day of year, hour, minute, second at 159 ... 165
constexpr int kTimeBasisField = 167;
constexpr int kTimeScalarField = 215;  // revision 1 and later
// Trace header byte offsets (0-based) for detection without segyio.
constexpr int kTraceSamplesAt = 114;
constexpr int kTraceIntervalAt = 116;

bool known_format(int code) {
  return code == SEGY_IBM_FLOAT_4_BYTE || code == SEGY_SIGNED_INTEGER_4_BYTE || code == SEGY_SIGNED_SHORT_2_BYTE ||
         code == SEGY_IEEE_FLOAT_4_BYTE || code == SEGY_SIGNED_CHAR_1_BYTE;
}

// Big-endian unless the revision 2 byte order mark or the format code
// says little-endian.
bool is_big_endian(const unsigned char* head) {
  const std::uint32_t mark = load_u32(head + kByteOrderMarkAt, true);
  if (mark == 0x01020304u) return true;
  if (mark == 0x04030201u) return false;
  return load_u16(head + kFormatAt, true) <= 16;
}

struct Layout {
  bool big_endian = true;
  int format = 0;
  int samples = 0;
  int bytes_per_sample = 0;
  double interval = 0;  // seconds, from the binary header (0 when unset)
  int revision = 0;
  long trace0 = static_cast<long>(kFileHeaderBytes);  // byte of the first trace header
};

Layout binary_header(const unsigned char* head, const std::string& path) {
  Layout layout;
  layout.big_endian = is_big_endian(head);
  layout.format = load_u16(head + kFormatAt, layout.big_endian);
  if (!known_format(layout.format)) {
    fail(path, 0, "sample format code (bytes 3225-3226)",
         "code " + std::to_string(layout.format) + " is not 1, 2, 3, 5 or 8");
  }
  const std::uint32_t extended = load_u32(head + kExtendedSamplesAt, layout.big_endian);
  const std::uint16_t classic = load_u16(head + kSamplesAt, layout.big_endian);
  // Revision 2 sets the extended count when the classic field cannot hold it.
  const std::uint32_t samples = classic != 0 ? classic : extended;
  if (samples == 0) fail(path, 0, "samples per trace (bytes 3221-3222)", "the count is 0");
  if (samples > (1u << 28)) fail(path, 0, "samples per trace (bytes 3269-3272)", "count " + std::to_string(samples) + " is out of range");
  layout.samples = static_cast<int>(samples);
  layout.bytes_per_sample = segy_trsize(layout.format, 1);
  layout.interval = load_u16(head + kSampleIntervalAt, layout.big_endian) * 1e-6;
  layout.revision = head[kRevisionAt];
  return layout;
}

// Seismic Unix: the first trace header's sample count and interval, IEEE
// floats in the byte order in which whole traces fill the file.
std::optional<Layout> seismic_unix_layout(const unsigned char* head, std::size_t size, std::uint64_t file_size) {
  if (size < SEGY_TRACE_HEADER_SIZE) return std::nullopt;
  for (const bool big_endian : {true, false}) {
    const std::uint16_t samples = load_u16(head + kTraceSamplesAt, big_endian);
    const std::uint16_t interval = load_u16(head + kTraceIntervalAt, big_endian);
    const std::uint64_t per_trace = SEGY_TRACE_HEADER_SIZE + 4ull * samples;
    if (samples == 0 || samples > 32767 || interval == 0 || file_size % per_trace != 0) continue;
    Layout layout;
    layout.big_endian = big_endian;
    layout.format = SEGY_IEEE_FLOAT_4_BYTE;
    layout.samples = samples;
    layout.bytes_per_sample = 4;
    layout.interval = interval * 1e-6;
    layout.trace0 = 0;
    return layout;
  }
  return std::nullopt;
}

struct SegyCloser {
  void operator()(segy_file* fp) const { segy_close(fp); }
};
using SegyHandle = std::unique_ptr<segy_file, SegyCloser>;

void check(int rc, const std::string& path, long trace, std::string_view what) {
  if (rc != SEGY_OK) fail(path, trace, what, "segyio error " + std::to_string(rc) + " (read failed or file truncated)");
}

std::int32_t field(const char* trace_header, int which, const std::string& path, long trace) {
  std::int32_t value = 0;
  check(segy_get_field(trace_header, which, &value), path, trace, "trace header");
  return value;
}

// A header value with its scalar applied: positive multiplies, negative
// divides, 0 leaves it.
double scaled(std::int32_t value, std::int32_t scalar) {
  if (scalar > 0) return static_cast<double>(value) * scalar;
  if (scalar < 0) return static_cast<double>(value) / -static_cast<double>(scalar);
  return value;
}

// The UTC time of time zero from bytes 157-166 (year, day of year, hour,
// minute, second), when the time basis (167-168) is GMT or UTC, or unset.
std::optional<double> reference_epoch(const char* trace_header, const std::string& path, long trace) {
  std::array<std::int32_t, 6> v{};
  for (std::size_t k = 0; k < 5; ++k) v[k] = field(trace_header, kYearField + 2 * static_cast<int>(k), path, trace);
  const std::int32_t basis = field(trace_header, kTimeBasisField, path, trace);
  if (v[0] == 0 || (basis != 0 && basis != 2 && basis != 4)) return std::nullopt;
  if (v[0] < 1 || v[0] > 9999 || v[1] < 1 || v[1] > 366 || v[2] < 0 || v[2] > 23 || v[3] < 0 || v[3] > 59 ||
      v[4] < 0 || v[4] > 60) {
    fail(path, trace, "recording time (bytes 157-166)",
         "year " + std::to_string(v[0]) + ", day " + std::to_string(v[1]) + ", " + std::to_string(v[2]) + ":" +
             std::to_string(v[3]) + ":" + std::to_string(v[4]) + " is not a time");
  }
  using namespace std::chrono;
  const sys_days day = sys_days(year(v[0]) / January / 1) + days(v[1] - 1);
  return static_cast<double>(day.time_since_epoch().count()) * 86400.0 + v[2] * 3600.0 + v[3] * 60.0 + v[4];
}

// The offset in metres with the elevation scalar of bytes 69-70 applied
// (positive multiplies, negative divides, 0 leaves it).
double scaled_offset(std::int32_t offset, std::int32_t scalar) { return scaled(offset, scalar); }

// Samples as segyio returns them (big-endian bytes) into floats.
void decode(int format, std::vector<char>& raw, std::vector<float>& out, const std::string& path, long trace) {
  const auto n = out.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(raw.data());
  switch (format) {
    case SEGY_IBM_FLOAT_4_BYTE:
    case SEGY_IEEE_FLOAT_4_BYTE:
      check(segy_to_native(format, static_cast<long long>(n), raw.data()), path, trace, "samples");
      std::memcpy(out.data(), raw.data(), n * sizeof(float));
      break;
    case SEGY_SIGNED_INTEGER_4_BYTE:
      for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(load_i32(bytes + 4 * i, true));
      break;
    case SEGY_SIGNED_SHORT_2_BYTE:
      for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(load_i16(bytes + 2 * i, true));
      break;
    default:  // SEGY_SIGNED_CHAR_1_BYTE
      for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(static_cast<std::int8_t>(bytes[i]));
      break;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(out[i])) fail(path, trace, "sample " + std::to_string(i + 1), "not a finite number");
  }
}

}  // namespace

bool looks_like_segy(const unsigned char* head, std::size_t size) {
  if (size < kFileHeaderBytes) return false;
  // Any code the revisions define (1 to 16) marks a SEG-Y file, so that an
  // unsupported one is reported as such rather than as an unknown format.
  const auto defined = [](int code) { return code >= 1 && code <= 16; };
  return defined(load_u16(head + kFormatAt, true)) || defined(load_u16(head + kFormatAt, false));
}

bool fits_segy(const unsigned char* head, std::size_t size, std::uint64_t file_size) {
  if (size < kFileHeaderBytes) return false;
  const bool big_endian = is_big_endian(head);
  const int format = load_u16(head + kFormatAt, big_endian);
  if (!known_format(format)) return false;
  const std::uint32_t classic = load_u16(head + kSamplesAt, big_endian);
  const std::uint32_t samples = classic != 0 ? classic : load_u32(head + kExtendedSamplesAt, big_endian);
  const std::uint64_t per_trace = SEGY_TRACE_HEADER_SIZE + static_cast<std::uint64_t>(samples) * segy_trsize(format, 1);
  const std::int16_t extended = load_i16(head + kExtendedHeadersAt, big_endian);
  const std::uint64_t trace0 = kFileHeaderBytes + kTextualHeaderBytes * static_cast<std::uint64_t>(std::max<std::int16_t>(extended, 0));
  return samples > 0 && file_size >= trace0 && (file_size - trace0) % per_trace == 0;
}

bool looks_like_seismic_unix(const unsigned char* head, std::size_t size, std::uint64_t file_size) {
  return seismic_unix_layout(head, size, file_size).has_value();
}

void read(const std::string& path, TraceVisitor& visitor, bool with_samples, bool seismic_unix) {
  const InputFile file(path);
  std::array<unsigned char, kFileHeaderBytes> head{};
  Layout layout;
  if (seismic_unix) {
    file.read_at(0, head.data(), SEGY_TRACE_HEADER_SIZE, 0, "first trace header");
    const std::optional<Layout> su = seismic_unix_layout(head.data(), SEGY_TRACE_HEADER_SIZE, file.size());
    if (!su) {
      fail(path, 1, "sample count and interval (bytes 115-118)",
           "no byte order in which they are positive and whole traces fill the file");
    }
    layout = *su;
  } else {
    file.read_at(0, head.data(), head.size(), 0, "SEG-Y file header");
    layout = binary_header(head.data(), path);
  }

  SegyHandle fp(segy_open(path.c_str(), "rb"));
  if (!fp) fail(path, 0, "", "segyio cannot open the file");
  const int byte_order = layout.big_endian ? SEGY_MSB : SEGY_LSB;
  check(segy_set_format(fp.get(), layout.format | byte_order), path, 0, "sample format");
  long trace0 = layout.trace0;
  if (!seismic_unix) {
    std::array<char, SEGY_BINARY_HEADER_SIZE> binary{};
    check(segy_binheader(fp.get(), binary.data()), path, 0, "binary header");
    trace0 = segy_trace0(binary.data());
    if (trace0 < static_cast<long>(kFileHeaderBytes) || static_cast<std::uint64_t>(trace0) > file.size()) {
      fail(path, 0, "extended textual headers (bytes 3505-3506)", "the first trace would start past the end of the file");
    }
  }
  const std::uint64_t trace_bytes = static_cast<std::uint64_t>(layout.samples) * layout.bytes_per_sample;
  const std::uint64_t per_trace = SEGY_TRACE_HEADER_SIZE + trace_bytes;
  const std::uint64_t body = file.size() - static_cast<std::uint64_t>(trace0);
  if (body % per_trace != 0) {
    const std::uint64_t whole = body / per_trace;
    fail(path, static_cast<long>(whole + 1), "samples",
         "truncated: the file ends " + std::to_string(body % per_trace) + " bytes into a trace of " +
             std::to_string(per_trace) + " bytes (" + std::to_string(layout.samples) + " samples per trace in the " +
             (seismic_unix ? "first trace header)" : "binary header)"));
  }
  const std::uint64_t traces = body / per_trace;
  if (traces > static_cast<std::uint64_t>(INT32_MAX)) fail(path, 0, "", "more traces than segyio can address");
  const int bsize = static_cast<int>(trace_bytes);
  // Revision 1 and 2 scale the times of bytes 95-114 by bytes 215-216.
  const bool time_scalar = !seismic_unix && layout.revision >= 1;

  // One trace's buffers, allocated only once a whole trace is known to be
  // in the file: the header's sample count alone never sizes memory.
  const bool buffers = with_samples && traces > 0;
  std::vector<char> raw(buffers ? trace_bytes : 0);
  std::vector<float> values(buffers ? static_cast<std::size_t>(layout.samples) : 0);
  std::array<char, SEGY_TRACE_HEADER_SIZE> trace_header{};
  for (std::uint64_t t = 0; t < traces; ++t) {
    const long number = static_cast<long>(t + 1);
    const int index = static_cast<int>(t);
    check(segy_traceheader(fp.get(), index, trace_header.data(), trace0, bsize), path, number, "trace header");
    if (seismic_unix && field(trace_header.data(), kTraceSamplesField, path, number) != layout.samples) {
      fail(path, number, "sample count (bytes 115-116)",
           "differs from the first trace's " + std::to_string(layout.samples) + ": Seismic Unix traces are read as one size");
    }
    TraceHeader header;
    header.interval = layout.interval;
    if (header.interval <= 0) header.interval = field(trace_header.data(), kTraceIntervalField, path, number) * 1e-6;
    if (header.interval <= 0) {
      fail(path, number, "sample interval (binary bytes 3217-3218, trace bytes 117-118)", "both are 0");
    }
    const std::int32_t scalar =
        time_scalar ? static_cast<std::int16_t>(field(trace_header.data(), kTimeScalarField, path, number)) : 1;
    header.begin = scaled(static_cast<std::int16_t>(field(trace_header.data(), kDelayField, path, number)), scalar) * 1e-3;
    header.offset_m = scaled_offset(field(trace_header.data(), kOffsetField, path, number),
                                    static_cast<std::int16_t>(field(trace_header.data(), kElevationScalarField, path, number)));
    header.reference_epoch = reference_epoch(trace_header.data(), path, number);
    visitor.header(t, header);
    if (!with_samples) {
      visitor.run(t, header.begin, layout.samples);
      continue;
    }
    check(segy_readtrace(fp.get(), index, raw.data(), trace0, bsize), path, number, "samples");
    decode(layout.format, raw, values, path, number);
    visitor.samples(t, header.begin, values);
  }
}

}  // namespace section::segy
