// A binary input file read in place: its size up front, and exact reads at
// offsets that report a short file as bad input, naming what was being read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace section {

class InputFile {
 public:
  // The first reading of a file (when its format is detected) remembers its
  // size and modification time; every later opening of the same path
  // compares them, so a file changed between the passes is refused.
  enum class Reading { first, later };
  explicit InputFile(const std::string& path, Reading reading = Reading::later);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::uint64_t size() const { return size_; }
  const std::string& path() const { return path_; }
  // Reads exactly `count` bytes at `offset`; a short file fails with the
  // trace and field named.
  void read_at(std::uint64_t offset, void* into, std::size_t count, long trace, std::string_view what) const;
  // Up to `count` bytes at `offset`; returns how many were read.
  std::size_t read_some(std::uint64_t offset, void* into, std::size_t count) const;

 private:
  std::string path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// Refuses the open file `fd` at `path` when its size or modification time
// differ from those of the first reading (if there was one).
void check_unchanged(const std::string& path, int fd);

}  // namespace section
