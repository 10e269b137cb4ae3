// A file replaced whole: PDF, SVG and PNG pages are written to a temporary
// file in the target's directory and renamed over the target only when they
// are complete, so that a failure, a full disk or a signal leaves the earlier
// file as it was, and nothing else behind.
#pragma once

#include <cstdio>
#include <string>

namespace plume::device {

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { abandon(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Starts the new contents of `target`; false with the reason when no
  // temporary file can be made beside it. A target that exists and is not a
  // regular file (a FIFO, a device) is written directly instead.
  bool open(const std::string& target, std::string& reason);
  std::FILE* stream() const { return stream_; }
  // Puts the new contents in place; false with the reason (the temporary
  // file is then removed and the target left as it was).
  bool commit(std::string& reason);
  // Drops the new contents; the target stays as it was.
  void abandon();

 private:
  void forget_temporary();

  std::string target_;
  std::string temporary_;  // empty while the file has no name (O_TMPFILE)
  std::FILE* stream_ = nullptr;
  bool direct_ = false;
  int watch_slot_ = -1;
};

// Whether `target` can be replaced: its directory takes a temporary file.
// Empty, or the reason it cannot.
std::string replacement_problem(const std::string& target);

// Temporary files a fatal signal removes (device/output_unit_signals.cpp):
// the slot, or -1 when every slot is taken.
int watch_temporary(const std::string& path);
void unwatch_temporary(int slot);

}  // namespace plume::device
