#include "driver/line_reader.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "driver/input_error.hpp"

namespace traceplot {
namespace {

std::string_view without_carriage_return(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string_view cut(std::string_view line, std::size_t keep) {
  return line.size() > keep ? line.substr(0, keep) : line;
}

}  // namespace

LineReader::LineReader(int fd, std::string name, bool owns_fd, std::size_t capacity)
    : fd_(fd),
      name_(std::move(name)),
      owns_fd_(owns_fd),
      capacity_(capacity < 2 ? 2 : capacity),
      buffer_(new char[capacity_]) {}

LineReader::~LineReader() {
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

bool LineReader::fill() {
  if (at_end_) return false;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
    if (n > 0) {
      end_ += static_cast<std::size_t>(n);
      return true;
    }
    if (n == 0) {
      at_end_ = true;
      return false;
    }
    if (errno != EINTR) throw InputError("cannot read " + name_ + ": " + std::strerror(errno));
  }
}

bool LineReader::next(std::string_view& line, std::size_t keep) { return next_record(line, keep, false); }

bool LineReader::next_after_blanks(std::string_view& line, std::size_t keep) {
  return next_record(line, keep, true);
}

namespace {
bool is_leading_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view after_blanks(std::string_view line, bool skip) {
  if (!skip) return line;
  std::size_t i = 0;
  while (i < line.size() && is_leading_blank(line[i])) ++i;
  return line.substr(i);
}

std::string_view kept_part(std::string_view line, std::size_t keep, bool skip, bool& was_cut) {
  line = after_blanks(line, skip);
  was_cut = line.size() > keep;
  return cut(line, keep);
}
}  // namespace

bool LineReader::next_record(std::string_view& line, std::size_t keep, bool skip_blanks) {
  for (;;) {
    char* const data = buffer_.get();
    const std::size_t available = end_ - begin_;
    if (const void* nl = std::memchr(data + begin_, '\n', available)) {
      const auto length = static_cast<std::size_t>(static_cast<const char*>(nl) - (data + begin_));
      line = kept_part(without_carriage_return({data + begin_, length}), keep, skip_blanks, cut_);
      begin_ += length + 1;
      ++line_;
      return true;
    }
    if (at_end_) {
      if (available == 0) return false;
      line = kept_part(without_carriage_return({data + begin_, available}), keep, skip_blanks, cut_);
      begin_ = end_;
      ++line_;
      return true;
    }
    if (begin_ > 0) {  // move the partial line to the front, then read behind it
      std::memmove(data, data + begin_, available);
      begin_ = 0;
      end_ = available;
    }
    if (end_ == capacity_) return next_long(line, keep, skip_blanks);
    fill();
  }
}

// A line that does not fit in the buffer: keep its head, pass over the rest.
bool LineReader::next_long(std::string_view& line, std::size_t keep, bool skip_blanks) {
  long_line_.clear();
  std::size_t length = 0;    // of the whole line so far, blanks passed over excluded
  bool in_blanks = skip_blanks;
  auto take = [&](std::size_t n) {
    std::size_t from = 0;
    if (in_blanks) {
      while (from < n && is_leading_blank(buffer_.get()[from])) ++from;
      in_blanks = from == n;
    }
    const std::size_t rest = n - from;
    if (long_line_.size() < keep) long_line_.append(buffer_.get() + from, std::min(rest, keep - long_line_.size()));
    length += rest;
  };
  for (;;) {
    const void* nl = std::memchr(buffer_.get(), '\n', end_);
    if (nl != nullptr) {
      const auto n = static_cast<std::size_t>(static_cast<const char*>(nl) - buffer_.get());
      take(n);
      begin_ = n + 1;
      break;
    }
    take(end_);
    begin_ = end_ = 0;
    if (!fill()) break;
  }
  ++line_;
  std::string_view kept(long_line_);
  // The line end's carriage return is only in the kept part when all of it is.
  line = length == kept.size() ? without_carriage_return(kept) : kept;
  cut_ = length > kept.size();
  return true;
}

}  // namespace traceplot
