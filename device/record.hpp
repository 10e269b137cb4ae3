// One record (line) of the document, built from edit-descriptor items and
// written whole to the unit that receives the document.
//
// Numeric items are PostScript operands: a finite value beyond its field is
// clamped to the widest value the field prints, a field that follows another
// directly keeps a blank before it, and a record holding a non-finite
// operand is not written at all (the close reports how many).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plume::device {

class Record {
 public:
  Record& text(std::string_view s);
  Record& blank() { return text(" "); }
  Record& real(float value, int w, int d);  // Fw.d operand
  Record& integer(std::int32_t value, int w);  // Iw operand
  bool finite() const { return finite_; }
  std::string_view view() const { return {buffer_, length_}; }
  // Writes the record to the document, or counts it as dropped.
  void write();

 private:
  static constexpr std::size_t kCapacity = 512;
  bool follows_field() const;
  char buffer_[kCapacity];
  std::size_t length_ = 0;
  bool finite_ = true;
};

// "(a)": the text as stored.
void write_text(std::string_view text);
// List-directed text: one blank, then the text.
void write_listed(std::string_view text);

// Records dropped for non-finite operands since the last call; resets.
int take_dropped_count();
void count_dropped();
int dropped_total();

}  // namespace plume::device
