#include "textio/lines.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace skaldur::textio {

LineReader::LineReader(int fd, std::size_t width, std::size_t block)
    : fd_(fd),
      width_(width),
      capacity_(std::max(block, width + 2)),
      buffer_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

bool LineReader::fill() {
  if (eof_ || error_ != 0) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  while (end_ < capacity_) {
    const ssize_t n = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error_ = errno;
      return false;
    }
    if (n == 0) {
      eof_ = true;
      return false;
    }
    end_ += static_cast<std::size_t>(n);
    return true;
  }
  return true;
}

std::string_view LineReader::finish(std::string_view line) {
  ++line_number_;
  return cut_line(line, width_);
}

std::string_view LineReader::release_unread() {
  const std::string_view unread(buffer_.get() + begin_, end_ - begin_);
  begin_ = end_;
  return unread;
}

LineReader::Status LineReader::next(std::string_view& line) {
  std::size_t scanned = begin_;
  while (true) {
    const char* data = buffer_.get();
    const void* nl = std::memchr(data + scanned, '\n', end_ - scanned);
    if (nl != nullptr) {
      const auto at = static_cast<std::size_t>(static_cast<const char*>(nl) - data);
      line = finish(std::string_view(data + begin_, at - begin_));
      begin_ = at + 1;
      return Status::line;
    }
    if (end_ - begin_ == capacity_) {
      // A line longer than the buffer: keep its head, skip to its end.
      long_line_.assign(data + begin_, long_line_head(width_));
      begin_ = end_ = 0;
      while (true) {
        if (!fill()) {
          if (error_ != 0) return Status::error;
          line = finish(long_line_);
          return Status::line;
        }
        const void* skip_nl = std::memchr(buffer_.get(), '\n', end_);
        if (skip_nl != nullptr) {
          begin_ = static_cast<std::size_t>(static_cast<const char*>(skip_nl) - buffer_.get()) + 1;
          line = finish(long_line_);
          return Status::line;
        }
        begin_ = end_ = 0;
      }
    }
    scanned = end_;
    const std::size_t unread = begin_;
    if (!fill()) {
      if (error_ != 0) return Status::error;
      if (begin_ == end_) return Status::end;
      line = finish(std::string_view(buffer_.get() + begin_, end_ - begin_));
      begin_ = end_;
      return Status::line;
    }
    scanned -= unread;  // fill() moved the unread bytes to the front
  }
}

}  // namespace skaldur::textio
