// Decoding a fuzzer's bytes into call arguments. Every read is total: an
// exhausted input yields zeros, so any byte string is a valid program.
// Values are drawn partly from tables of interesting cases (limits, 999,
// NaN, infinities) so that the fuzzer reaches them without guessing bits.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string_view>

namespace plume::fuzz {

class FuzzInput {
 public:
  explicit FuzzInput(std::span<const std::uint8_t> data) : data_(data) {}

  bool empty() const { return pos_ >= data_.size(); }

  std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }

  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return v;
  }

  std::int32_t raw_int() {
    const std::uint32_t u = u32();
    std::int32_t v;
    std::memcpy(&v, &u, sizeof v);
    return v;
  }

  // A small count in 0 .. limit.
  int below(int limit) { return limit <= 0 ? 0 : byte() % (limit + 1); }

  // An integer argument: mostly small or interesting, sometimes any 32 bits.
  std::int32_t integer() {
    static constexpr std::int32_t kInteresting[] = {
        0,   1,   2,    3,    -1,   -2,   -3,   4,     5,     6,     7,      8,
        9,   10,  11,   12,   13,   14,   15,   16,    20,    21,    22,     23,
        24,  25,  62,   -5,   103,  99,   127,  128,   255,   256,   350,    351,
        354, 355, 999,  -999, 1000, 1001, 1004, 32767, 32768, -32768, 65536, -65536,
        std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max() - 1, std::numeric_limits<std::int32_t>::min() + 1,
    };
    const std::uint8_t selector = byte();
    if (selector < 160) return kInteresting[selector % std::size(kInteresting)];
    if (selector < 224) return static_cast<std::int8_t>(byte());
    return raw_int();
  }

  // A real argument: interesting values, small decimals, or any 32 bits
  // (which include NaNs with payloads and denormals).
  float real() {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    static constexpr float kInteresting[] = {
        0.0f,    -0.0f,   1.0f,     -1.0f,   0.5f,    2.0f,     0.21f,    2.54f,   10.0f,
        -10.0f,  90.0f,   360.0f,   -90.0f,  450.0f,  998.99f,  999.0f,   1000.0f, 1e-20f,
        -1e-20f, 1e-30f,  1e-38f,   1e-45f,  1e5f,    1e6f,     9999999.0f, 1e7f,  -1e6f,
        1e10f,   1e20f,   1e30f,    -1e30f,  3.4e38f, std::numeric_limits<float>::max(),
        std::numeric_limits<float>::lowest(), std::numeric_limits<float>::denorm_min(),
        std::numeric_limits<float>::min(), kInf, -kInf, std::numeric_limits<float>::quiet_NaN(),
        32767.0f, 32768.0f, 2147483648.0f, -2147483904.0f, 16777216.0f, 0.01f, 0.254f, 0.2032f,
    };
    const std::uint8_t selector = byte();
    if (selector < 112) return kInteresting[selector % std::size(kInteresting)];
    if (selector < 224) {
      // Hundredths in -327.68 .. 327.67: ordinary drawing coordinates.
      const int high = byte();
      const int low = byte();
      const auto v = static_cast<std::int16_t>((high << 8) | low);
      return static_cast<float>(v) / 100.0f;
    }
    const std::uint32_t bits = u32();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }

  // The next `n` bytes (fewer at the end of the input).
  std::string_view bytes(std::size_t n) {
    const std::size_t avail = data_.size() - pos_;
    if (n > avail) n = avail;
    const std::string_view s(reinterpret_cast<const char*>(data_.data() + pos_), n);
    pos_ += n;
    return s;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// A text in a heap block of exactly its own size, so that AddressSanitizer
// reports any read past the end of the string_view handed to the library.
class ExactText {
 public:
  explicit ExactText(std::string_view s) : size_(s.size()), data_(new char[s.size()]) {
    if (size_ > 0) std::memcpy(data_.get(), s.data(), size_);
  }
  std::string_view view() const { return {data_.get(), size_}; }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_;
  std::unique_ptr<char[]> data_;
};

// A text of up to `max_length` bytes from the input, and a character count
// for it: the length, a little less or more, zero, negative, or any value.
struct TextArgument {
  ExactText text;
  std::int32_t count;
};

inline TextArgument text_argument(FuzzInput& in, std::size_t max_length) {
  // One length byte, or two (big-endian) where texts may be longer.
  std::size_t length = in.byte();
  if (max_length > 255) length = (length << 8) | in.byte();
  length %= max_length + 1;
  ExactText text(in.bytes(length));
  const auto size = static_cast<std::int32_t>(text.size());
  std::int32_t count = size;
  switch (in.byte() % 8) {
    case 0:
    case 1:
    case 2: break;
    case 3: count = size - in.below(4); break;
    case 4: count = size + 1 + in.below(400); break;
    case 5: count = 0; break;
    case 6: count = -in.below(3); break;
    default: count = in.integer(); break;
  }
  return {std::move(text), count};
}

}  // namespace plume::fuzz
