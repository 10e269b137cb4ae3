#include "section/miniseed_reader.hpp"

#include <libmseed.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <span>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "section/input_error.hpp"
#include "section/input_file.hpp"
#include "section/labels.hpp"

namespace section::miniseed {
namespace {

constexpr int kMinRecord = 128;
constexpr int kMaxRecord = 1 << 16;
constexpr std::size_t kDetectBytes = 128;  // fixed header and the blockettes that give the length

// libmseed's own messages go to its log; the last one explains a failure.
std::string& last_library_message() {
  static std::string message;
  return message;
}
void keep_message(char* text) {
  std::string& m = last_library_message();
  m = text;
  while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
}
void route_library_log() {
  static const bool done = [] {
    ms_loginit(keep_message, nullptr, keep_message, nullptr);
    return true;
  }();
  (void)done;
}

struct RecordCloser {
  void operator()(MSRecord* msr) const { msr_free(&msr); }
};
using RecordHandle = std::unique_ptr<MSRecord, RecordCloser>;

std::string where(long record, std::uint64_t offset) {
  return "record " + std::to_string(record) + " (byte " + std::to_string(offset) + ")";
}

// The record length: from blockette 1000 when present, otherwise the
// distance to the next record header (or to the end of the file).
int record_length(const InputFile& file, std::uint64_t offset, long record) {
  std::vector<char> head(kDetectBytes);
  const std::size_t got = file.read_some(offset, head.data(), head.size());
  const int detected = ms_detect(head.data(), static_cast<int>(got));
  if (detected < 0) fail(file.path(), 0, where(record, offset), "not a miniSEED record header");
  if (detected > 0) return detected;
  for (int length = kMinRecord; length <= kMaxRecord; length *= 2) {
    const std::uint64_t next = offset + static_cast<std::uint64_t>(length);
    if (next == file.size()) return length;
    if (next > file.size()) break;
    const std::size_t n = file.read_some(next, head.data(), head.size());
    if (ms_detect(head.data(), static_cast<int>(n)) >= 0) return length;
  }
  fail(file.path(), 0, where(record, offset), "record length cannot be found (no blockette 1000, no next record)");
}

void to_floats(const MSRecord& msr, std::vector<float>& out, const std::string& path, long record,
               std::uint64_t offset) {
  const auto n = static_cast<std::size_t>(msr.numsamples);
  out.resize(n);
  switch (msr.sampletype) {
    case 'i': {
      const auto* v = static_cast<const std::int32_t*>(msr.datasamples);
      for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(v[i]);
      break;
    }
    case 'f': std::copy_n(static_cast<const float*>(msr.datasamples), n, out.begin()); break;
    case 'd': {
      const auto* v = static_cast<const double*>(msr.datasamples);
      for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>(v[i]);
      break;
    }
    default: fail(path, 0, where(record, offset), std::string("sample type '") + msr.sampletype + "' is not numeric");
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(out[i])) fail(path, 0, where(record, offset), "sample " + std::to_string(i + 1) + " is not a finite number");
  }
}

// Bytes per sample of the encodings whose libmseed decoders take a sample
// count but no input length; 0 for the others (Steim frames are bounded
// by the record length the decoder is given).
int fixed_sample_bytes(int encoding) {
  switch (encoding) {
    case DE_ASCII: return 1;
    case DE_INT16: case DE_GEOSCOPE163: case DE_GEOSCOPE164: case DE_CDSN: case DE_SRO: case DE_DWWSSN: return 2;
    case DE_GEOSCOPE24: return 3;
    case DE_INT32: case DE_FLOAT32: return 4;
    case DE_FLOAT64: return 8;
    default: return 0;
  }
}

// The header's sample count must fit the record's data area before
// libmseed decodes it: some of its decoders would read past the record.
void check_data_area(const MSRecord& msr, int length, const std::string& path, long record, std::uint64_t offset) {
  const int data_offset = msr.fsdh ? msr.fsdh->data_offset : 0;
  if (data_offset < 48 || data_offset > length) {
    fail(path, 0, where(record, offset), "data offset " + std::to_string(data_offset) + " lies outside the record");
  }
  const std::int64_t room = length - data_offset;
  const int size = fixed_sample_bytes(msr.encoding);
  // Steim frames: 64 bytes hold at most 105 samples (15 words of 7).
  const std::int64_t most = size > 0 ? room / size : room / 64 * 105 + 105;
  if (msr.samplecnt > most) {
    fail(path, 0, where(record, offset),
         "sample count " + std::to_string(msr.samplecnt) + " does not fit the record's " + std::to_string(room) +
             " data bytes");
  }
}

std::string channel_key(const MSRecord& msr) {
  return std::string(msr.network) + "." + msr.station + "." + msr.location + "." + msr.channel;
}

// One record through libmseed: its header, and its samples when asked.
RecordHandle parse(std::vector<char>& record, int length, bool samples, const std::string& path, long number,
                   std::uint64_t offset) {
  MSRecord* parsed = nullptr;
  last_library_message().clear();
  const int rc = msr_parse(record.data(), length, &parsed, length, samples ? 1 : 0, 0);
  RecordHandle msr(parsed);
  if (rc != MS_NOERROR || !msr) {
    const std::string detail = last_library_message().empty() ? "" : " (" + last_library_message() + ")";
    fail(path, 0, where(number, offset), std::string("libmseed: ") + ms_errorstr(rc < 0 ? rc : MS_GENERROR) + detail);
  }
  return msr;
}

// The samples of one channel, gathered into runs: a record whose first
// sample falls within half an interval of where the run ends continues it,
// and its samples are timed from the run's first record. Runs are handed
// on in chunks of a fixed size, so the calls do not depend on how the
// samples were packed into records.
class Channel {
 public:
  static constexpr std::int64_t kChunk = 1 << 14;

  Channel(std::size_t trace, double interval) : trace_(trace), interval_(interval) {}
  double interval() const { return interval_; }

  void add(double start, std::int64_t count, std::span<const float> values, TraceVisitor& visitor, bool with_samples) {
    const double end = run_start_ + static_cast<double>(run_count_) * interval_;
    if (!open_ || std::fabs(start - end) > 0.5 * interval_) {
      finish(visitor, with_samples);
      open_ = true;
      run_start_ = start;
      run_count_ = 0;
      handed_ = 0;
    }
    run_count_ += count;
    if (with_samples) pending_.insert(pending_.end(), values.begin(), values.end());
    while (run_count_ - handed_ >= kChunk) hand_on(kChunk, visitor, with_samples);
  }

  // Hands on what is left of the run.
  void finish(TraceVisitor& visitor, bool with_samples) {
    if (open_ && run_count_ > handed_) hand_on(run_count_ - handed_, visitor, with_samples);
    open_ = false;
  }

 private:
  void hand_on(std::int64_t count, TraceVisitor& visitor, bool with_samples) {
    const double start = run_start_ + static_cast<double>(handed_) * interval_;
    if (with_samples) {
      visitor.samples(trace_, start, std::span<const float>(pending_.data(), static_cast<std::size_t>(count)));
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    } else {
      visitor.run(trace_, start, count);
    }
    handed_ += count;
  }

  std::size_t trace_;
  double interval_;
  bool open_ = false;
  double run_start_ = 0;
  std::int64_t run_count_ = 0;  // samples of the run so far
  std::int64_t handed_ = 0;     // of them handed on
  std::vector<float> pending_;
};

// The logical record length of a SEED volume: blockette 10 of the volume
// header record gives it as a power of two.
int volume_record_length(const InputFile& file) {
  std::array<char, 21> head{};
  file.read_at(0, head.data(), head.size(), 0, "volume index control header");
  const int exponent = (head[19] - '0') * 10 + (head[20] - '0');
  if (exponent < 8 || exponent > 16) {
    fail(file.path(), 0, "blockette 10, logical record length", "2^" + std::string(head.data() + 19, 2) + " is not 256 to 65536 bytes");
  }
  return 1 << exponent;
}

// What kind of logical record of a SEED volume starts at `record`: data,
// a control header (or blank padding), or neither.
enum class VolumeRecord { data, control, unknown };
VolumeRecord volume_record(const std::vector<char>& record) {
  const char type = record[6];
  if (type == 'D' || type == 'R' || type == 'Q' || type == 'M') return VolumeRecord::data;
  if (type == 'V' || type == 'A' || type == 'S' || type == 'T') return VolumeRecord::control;
  const bool blank = std::all_of(record.begin(), record.begin() + 8, [](char c) { return c == ' ' || c == '\0'; });
  return blank ? VolumeRecord::control : VolumeRecord::unknown;
}

void read_records(const std::string& path, TraceVisitor& visitor, bool with_samples, bool volume) {
  route_library_log();
  const InputFile file(path);
  std::map<std::string, std::size_t> traces;  // one entry per channel
  std::vector<Channel> channels;
  std::vector<char> record;
  std::vector<float> values;
  const int volume_length = volume ? volume_record_length(file) : 0;
  long number = 0;
  long data_records = 0;
  for (std::uint64_t offset = 0; offset < file.size();) {
    ++number;
    const int length = volume ? volume_length : record_length(file, offset, number);
    if (offset + static_cast<std::uint64_t>(length) > file.size()) {
      fail(path, 0, where(number, offset),
           "truncated: the record is " + std::to_string(length) + " bytes, the file ends after " +
               std::to_string(file.size() - offset));
    }
    record.resize(static_cast<std::size_t>(length));
    file.read_at(offset, record.data(), record.size(), 0, where(number, offset));
    const std::uint64_t at = offset;
    offset += static_cast<std::uint64_t>(length);
    if (volume) {
      const VolumeRecord kind = volume_record(record);
      if (kind == VolumeRecord::control) continue;  // station and dictionary headers: nothing to draw
      if (kind == VolumeRecord::unknown) fail(path, 0, where(number, at), "neither a data record nor a control header");
    }
    ++data_records;
    RecordHandle msr = parse(record, length, false, path, number, at);
    if (msr->samplecnt > 0) check_data_area(*msr, length, path, number, at);
    if (with_samples && msr->samplecnt > 0) msr = parse(record, length, true, path, number, at);
    if (msr->samplecnt <= 0 || msr->sampletype == 'a' || msr->encoding == DE_ASCII) continue;  // no waveform
    const double rate = msr_samprate(msr.get());
    if (!(rate > 0) || !std::isfinite(rate)) fail(path, 0, where(number, at), "sample rate is not positive");
    const double interval = 1.0 / rate;
    const std::string key = channel_key(*msr);
    auto [it, added] = traces.try_emplace(key, traces.size());
    const std::size_t trace = it->second;
    const double start = static_cast<double>(msr->starttime) / HPTMODULUS;
    if (added) {
      TraceHeader header;
      set_identity(header, msr->network, msr->station, msr->location, msr->channel);
      header.interval = interval;
      header.begin = start;
      header.absolute_time = true;
      channels.emplace_back(trace, interval);
      visitor.header(trace, header);
    } else if (std::fabs(channels[trace].interval() - interval) > 1e-9 * channels[trace].interval()) {
      fail(path, 0, where(number, at), "sample rate of " + key + " changes within the file");
    }
    if (with_samples) {
      if (msr->numsamples != msr->samplecnt) fail(path, 0, where(number, at), "decoded sample count differs from the header's");
      to_floats(*msr, values, path, number, at);
    }
    channels[trace].add(start, msr->samplecnt, values, visitor, with_samples);
  }
  for (Channel& c : channels) c.finish(visitor, with_samples);
  if (volume && data_records == 0) {
    fail(path, 0, "", "a SEED volume of control headers only (dataless SEED, station metadata): no waveforms to draw");
  }
}

}  // namespace

bool looks_like_miniseed(const unsigned char* head, std::size_t size) {
  route_library_log();
  if (size < 48) return false;
  return ms_detect(reinterpret_cast<const char*>(head), static_cast<int>(std::min(size, kDetectBytes))) >= 0;
}

bool looks_like_seed_volume(const unsigned char* head, std::size_t size) {
  if (size < 21) return false;
  const bool sequence = std::all_of(head, head + 6, [](unsigned char c) { return std::isdigit(c) || c == ' '; });
  return sequence && head[6] == 'V' && (head[7] == ' ' || head[7] == '*') && std::memcmp(head + 8, "010", 3) == 0;
}

void read(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  read_records(path, visitor, with_samples, false);
}

void read_volume(const std::string& path, TraceVisitor& visitor, bool with_samples) {
  read_records(path, visitor, with_samples, true);
}

}  // namespace section::miniseed
