// Lines of a text file, read in large blocks: the records of formatted
// sequential input. A record ends at a line feed; a carriage return just
// before it (or just before the end of the file) belongs to the line end, so
// CRLF files read like LF files. A last line without a line feed is a record.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace traceplot {

class LineReader {
 public:
  static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 20;
  static constexpr std::size_t kWholeLine = static_cast<std::size_t>(-1);

  // Reads from fd, which it closes when owns_fd; `name` names the input in
  // messages ("fort.10", "standard input").
  LineReader(int fd, std::string name, bool owns_fd, std::size_t capacity = kDefaultCapacity);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next record without its line end, cut to its first `keep`
  // characters; the view lasts until the next call. False at end of file.
  // A read error is an InputError.
  bool next(std::string_view& line, std::size_t keep = kWholeLine);
  // The same, with the record's leading blanks (spaces, tabs) passed over
  // and not counted in `keep`: memory stays bounded however long the blanks.
  bool next_after_blanks(std::string_view& line, std::size_t keep);
  // Whether the record last returned was longer than what was kept.
  bool last_line_cut() const { return cut_; }

  // Line number of the record last returned (0 before the first).
  long line_number() const { return line_; }
  const std::string& name() const { return name_; }

 private:
  bool fill();
  bool next_record(std::string_view& line, std::size_t keep, bool skip_blanks);
  bool next_long(std::string_view& line, std::size_t keep, bool skip_blanks);

  int fd_;
  std::string name_;
  bool owns_fd_;
  std::size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  long line_ = 0;
  bool cut_ = false;
  std::string long_line_;  // the kept part of a line longer than the buffer
};

}  // namespace traceplot
