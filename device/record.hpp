// One record (line) of the document, built from edit-descriptor items and
// written whole to the unit that receives the document.
//
// Numeric items are PostScript operands, written as the gfortran runtime
// writes their field, with two exceptions that keep every line readable: a
// field whose value fills it entirely after another field keeps one blank
// before it (the line grows by one), and a finite value beyond its field is
// clamped to the widest value the field prints instead of asterisks (the line
// is counted as clamped). A record holding a non-finite operand is not written
// at all (counted as dropped). The close reports both counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plume::device {

class Record {
 public:
  Record& text(std::string_view s);
  Record& blank() { return text(" "); }
  Record& real(float value, int w, int d);  // Fw.d operand
  Record& integer(std::int32_t value, int w);  // Iw operand
  bool finite() const { return finite_; }
  bool clamped() const { return clamped_; }
  std::string_view view() const { return {buffer_, length_}; }
  // Writes the record to the document, or counts it as dropped; returns
  // whether it was written.
  bool write();

 private:
  static constexpr std::size_t kCapacity = 512;
  bool follows_field() const;
  void append_field(const char* field, const char* end);
  char buffer_[kCapacity];
  std::size_t length_ = 0;
  bool finite_ = true;
  bool clamped_ = false;
};

// "(a)": the text as stored.
void write_text(std::string_view text);
// List-directed text: one blank, then the text.
void write_listed(std::string_view text);

// Lines left out for a non-finite operand.
void count_dropped();
// Lines written with an operand clamped to its field.
void count_clamped();
// Arcs left out because they reach beyond what interpreters build.
void count_unreachable_arc();
// In the whole run: lines left out (non-finite operands and unreachable
// arcs), and lines clamped.
int dropped_total();
int clamped_total();

// Forgets the counts of the document before an open.
void reset_document_counts();
// A number of its own for each document opened, for what a document
// defines once when it first needs it.
std::uint64_t document_serial();
// Reports on standard error what the document on `unit` (file `path`) lost
// or had clamped since its open, and forgets the counts.
void report_document_counts(int unit, const std::string& path);

}  // namespace plume::device
