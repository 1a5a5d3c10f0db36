#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace skaldur::textio {

class Fingerprint;

// Lines are read through their first 10 000 characters.
inline constexpr std::size_t kLineWidth = 10000;

// The line rules every reader of the program's input files shares.

// A comment line starts with '$', '#', '!' or an apostrophe.
[[nodiscard]] constexpr bool is_comment_line(std::string_view line) {
  if (line.empty()) return false;
  const char c = line.front();
  return c == '$' || c == '#' || c == '!' || c == '\'';
}

// An empty line or one of blanks only. Most lines start with a digit or a
// sign: only a leading blank needs a look further.
[[nodiscard]] constexpr bool is_blank_line(std::string_view line) {
  return line.empty() || (line.front() == ' ' && line.find_first_not_of(' ') == line.npos);
}

// A line as it is read: without the carriage return before its line feed,
// and cut after `width` characters.
[[nodiscard]] constexpr std::string_view cut_line(std::string_view raw, std::size_t width) {
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  return raw.substr(0, raw.size() < width ? raw.size() : width);
}

// The first character that cut_line cuts off, or a line feed when it cuts
// nothing (a line never holds one).
[[nodiscard]] constexpr char after_cut(std::string_view raw, std::size_t width) {
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  return raw.size() > width ? raw[width] : '\n';
}

// Of a line longer than a reader's buffer only this head is kept, the rest
// skipped: two characters more than the width, so that the character after
// the cut is known and a carriage return ending the head is never taken for
// the one before a line end.
[[nodiscard]] constexpr std::size_t long_line_head(std::size_t width) {
  return width + 2;
}

// The UTF-8 byte-order mark that some editors write at the start of a text.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The text without a byte-order mark at its start.
[[nodiscard]] constexpr std::string_view without_byte_order_mark(std::string_view text) {
  return text.starts_with(kByteOrderMark) ? text.substr(kByteOrderMark.size()) : text;
}

// Where skipping the rest of a long line ended.
struct LineRest {
  bool found = false;     // a line feed was read; false at the end of the file or on an error
  std::size_t after = 0;  // buffer[after, filled) follow the line feed: the next lines
  std::size_t filled = 0;
  int error = 0;  // the error number of a failed read
};

// Skips the rest of a line longer than a reader's buffer: reads `fd` into
// `buffer` (over and over) until a line feed has been read. Every byte read
// is added to `fingerprint` when there is one.
[[nodiscard]] LineRest skip_line_rest(int fd, std::span<char> buffer,
                                      Fingerprint* fingerprint = nullptr);

// Reads the lines of a file descriptor in large blocks. A line is handed out
// without its line end; a carriage return just before the line feed belongs
// to the line end. Lines longer than the width are cut; the rest of a line
// longer than the block is skipped when the next line is asked for, so that
// a caller who stops at such a line reads no further. A byte-order mark at
// the start of the file is skipped. The last line needs no line feed.
class LineReader {
 public:
  explicit LineReader(int fd, std::size_t width = kLineWidth, std::size_t block = 1 << 20);

  enum class Status { line, end, error };

  // Sets `line` (valid until the next call) and returns Status::line, or
  // returns end or error (see error()).
  [[nodiscard]] Status next(std::string_view& line);

  // Lines are cut after this many characters.
  [[nodiscard]] std::size_t width() const { return width_; }

  // The file descriptor read from.
  [[nodiscard]] int descriptor() const { return fd_; }

  // From now on every byte read from the file is added to `fingerprint`
  // (not owned; none when null), in file order, whether or not it ends up in
  // a line. Set before the first line is asked for, the fingerprint covers
  // the file from its start: the bytes a reader takes over with
  // release_unread are among them already.
  void feed(Fingerprint* fingerprint) { fingerprint_ = fingerprint; }
  [[nodiscard]] Fingerprint* fingerprint() const { return fingerprint_; }

  // Number of the line handed out last, from 1.
  [[nodiscard]] std::int64_t line_number() const { return line_number_; }
  // What the cut of the line handed out last left out (see textio::after_cut).
  [[nodiscard]] char after_cut() const { return after_cut_; }
  // The error number of a failed read.
  [[nodiscard]] int error() const { return error_; }

  // The bytes read from the file but not yet handed out as lines, to be
  // taken over by another reader of the same descriptor; this reader then
  // has nothing left. Valid until the next call. Empty after a read error
  // (see error()).
  [[nodiscard]] std::string_view release_unread();

 private:
  // Reads more bytes behind the unread ones; false at the end of the file or on an error.
  bool fill();
  std::string_view finish(std::string_view line);
  // Skips the rest of the long line handed out last; false on a read error.
  bool skip_rest();

  int fd_;
  std::size_t width_;
  // Bytes are read into the buffer before they are looked at, so it is
  // never cleared: a reader of a short file touches little memory.
  std::size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last byte read
  bool eof_ = false;
  int error_ = 0;
  std::int64_t line_number_ = 0;
  std::string long_line_;      // head of a line longer than the buffer
  bool rest_to_skip_ = false;  // that line's rest is still to be skipped
  char after_cut_ = '\n';
  Fingerprint* fingerprint_ = nullptr;
};

}  // namespace skaldur::textio
