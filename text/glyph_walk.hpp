// Reading the stroke font tables and the code list shared by the stroke text
// routines (chrcod, symbol, justfy). Every access is bounded: a code or a
// symbol number without a table entry never indexes the tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "plume/records.h"

namespace plume::text {

// Codes of the code list.
inline constexpr int kFirstGlyph = 1;
inline constexpr int kLastGlyph = 432;
inline constexpr int kBlank = 1000;
inline constexpr int kSuperscript = 1001;
inline constexpr int kSubscript = 1002;
inline constexpr int kEndLevel = 1003;
inline constexpr int kBackspace = 1004;

// The advance of a blank, in font units.
inline constexpr int kBlankAdvance = 20;
// Superscript and subscript levels that take effect; deeper ones are ignored.
inline constexpr int kMaxLevels = 20;
// Size factor of each superscript or subscript level.
inline constexpr float kLevelFactor = 0.75f;

// Pen codes in the stroke words.
inline constexpr int kPenEnd = 0;

inline constexpr bool is_glyph(std::int64_t code) { return code >= kFirstGlyph && code <= kLastGlyph; }

// The advance of glyph `code` (is_glyph) in font units.
inline float glyph_width(int code) { return iwid_[code - 1]; }

// Hands every point (pen, x, y) of the stroke words starting at the 1-based
// index `start` to `point`, up to the end mark. An index outside the words,
// or words without an end mark, end the walk at the table's end.
template <class PointFn>
void walk_strokes(std::span<const std::int32_t> words, std::int32_t start, PointFn&& point) {
  if (start < 1 || static_cast<std::size_t>(start) > words.size()) return;
  for (std::size_t p = static_cast<std::size_t>(start) - 1; p < words.size(); ++p) {
    const auto word = static_cast<std::uint32_t>(words[p]);
    for (const unsigned shift : {15u, 0u}) {
      const std::uint32_t half = (word >> shift) & 0x7fffu;
      const int pen = static_cast<int>((half >> 12) & 7u);
      if (pen == kPenEnd) return;
      point(pen, static_cast<int>((half >> 6) & 63u), static_cast<int>(half & 63u));
    }
  }
}

// Glyph `code` (1..432; other codes have no strokes).
template <class PointFn>
void walk_glyph(int code, PointFn&& point) {
  if (!is_glyph(code)) return;
  walk_strokes(ialph_.glyph_words, ialph_.glyph_start[code - 1], point);
}

// Centred symbol `k` (0..24; others have no strokes, nor have those whose
// start is 0).
template <class PointFn>
void walk_centred(std::int32_t k, PointFn&& point) {
  if (k < 0 || k >= static_cast<std::int32_t>(std::size(ialph_.centred_start))) return;
  walk_strokes(ialph_.centred_words, ialph_.centred_start[k], point);
}

// The open superscript and subscript levels of one text. At most kMaxLevels
// take effect; a start beyond them is ignored together with its end, and an
// end with no open level is ignored, so the stack never over- or underflows.
class LevelStack {
 public:
  // Opens a level with the vertical shift `shift`; false when it is ignored.
  bool push(float shift) {
    if (depth_ == kMaxLevels) {
      ++ignored_;
      return false;
    }
    shifts_[static_cast<std::size_t>(depth_++)] = shift;
    return true;
  }
  // Closes the innermost level: its shift, or nothing when the end belongs to
  // an ignored level or no level is open.
  std::optional<float> pop() {
    if (ignored_ > 0) {
      --ignored_;
      return std::nullopt;
    }
    if (depth_ == 0) return std::nullopt;
    return shifts_[static_cast<std::size_t>(--depth_)];
  }

 private:
  std::array<float, kMaxLevels> shifts_{};
  int depth_ = 0;
  int ignored_ = 0;  // at most one per code, so it cannot overflow
};

// The code list of the last translation, bounded by the list's capacity
// (application code may write code_count).
inline std::span<const std::int32_t> code_list() {
  const std::int32_t n = ajust_.code_count;
  const std::size_t count = n < 0 ? 0 : n > PLUME_MAX_CODES ? PLUME_MAX_CODES : static_cast<std::size_t>(n);
  return {ajust_.codes, count};
}

// Reads a four-character integer field the way a formatted I4 read does:
// blanks are ignored, an optional sign may lead, then digits; an all-blank
// field reads 0. Any other character, or a sign without digits, fails.
std::optional<int> read_integer_field(std::string_view field);

}  // namespace plume::text
