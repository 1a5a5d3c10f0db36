#include "textio/lines.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "textio/fingerprint.hpp"

namespace skaldur::textio {

LineReader::LineReader(int fd, std::size_t width, std::size_t block)
    : fd_(fd),
      width_(width),
      capacity_(std::max(block, width + 2)),
      buffer_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

LineRest skip_line_rest(int fd, std::span<char> buffer, Fingerprint* fingerprint) {
  LineRest rest;
  while (true) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return LineRest{false, 0, 0, n < 0 ? errno : 0};
    rest.filled = static_cast<std::size_t>(n);
    if (fingerprint != nullptr) fingerprint->add(std::string_view(buffer.data(), rest.filled));
    const void* nl = std::memchr(buffer.data(), '\n', rest.filled);
    if (nl != nullptr) {
      rest.found = true;
      rest.after = static_cast<std::size_t>(static_cast<const char*>(nl) - buffer.data()) + 1;
      return rest;
    }
  }
}

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
    if (fingerprint_ != nullptr)
      fingerprint_->add(std::string_view(buffer_.get() + end_, static_cast<std::size_t>(n)));
    end_ += static_cast<std::size_t>(n);
    return true;
  }
  return true;
}

std::string_view LineReader::finish(std::string_view line) {
  ++line_number_;
  after_cut_ = textio::after_cut(line, width_);
  return cut_line(line, width_);
}

bool LineReader::skip_rest() {
  rest_to_skip_ = false;
  const LineRest rest =
      skip_line_rest(fd_, std::span<char>(buffer_.get(), capacity_), fingerprint_);
  begin_ = rest.after;
  end_ = rest.filled;
  eof_ = !rest.found && rest.error == 0;
  error_ = rest.error;
  return error_ == 0;
}

std::string_view LineReader::release_unread() {
  if (rest_to_skip_ && !skip_rest()) return {};
  const std::string_view unread(buffer_.get() + begin_, end_ - begin_);
  begin_ = end_;
  return unread;
}

LineReader::Status LineReader::next(std::string_view& line) {
  if (rest_to_skip_ && !skip_rest()) return Status::error;
  if (line_number_ == 0 && begin_ == 0) {
    // Before the first line: a byte-order mark is not part of it.
    while (end_ < kByteOrderMark.size() && fill()) {
    }
    if (std::string_view(buffer_.get(), end_).starts_with(kByteOrderMark)) {
      begin_ = kByteOrderMark.size();
    }
  }
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
      // A line longer than the buffer: keep its head; its rest is skipped
      // when the next line is asked for.
      long_line_.assign(data + begin_, long_line_head(width_));
      rest_to_skip_ = true;
      line = finish(long_line_);
      return Status::line;
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
