#pragma once

// Internal to the series library: front ends include series/series.hpp only.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "textio/fingerprint.hpp"

namespace skaldur::series::detail {

// Memory for one stretch, allocated once and reused: a stretch's bytes are
// written by read() before they are looked at, so they are never cleared.
// Behind its capacity lie textio::kPlainLineReach more bytes, cleared behind
// each stretch handed out, so that plain lines are read the quick way up to
// its end.
struct StretchBuffer {
  std::unique_ptr<char[]> data;
  std::size_t capacity = 0;
};

// Hands out a file in stretches of whole lines, about `chunk_bytes` each. A
// line longer than a stretch is kept through its head only, as the line
// reader keeps it, and handed out alone: its rest is skipped when the next
// stretch is asked for, so that nothing past it is read when it ends the
// reading. Every byte read from the file is added to `fingerprint` (when
// not null) as it is read, in file order; `unread` was added before.
class ChunkSource {
 public:
  // `unread`: the bytes already read from `fd` that come first (copied).
  ChunkSource(int fd, std::string_view unread, std::size_t chunk_bytes, std::size_t width,
              textio::Fingerprint* fingerprint = nullptr);

  // Fills `buffer` with the next stretch and points `text` at it; false at
  // the end of the file or after a read error (see error()).
  bool next(StretchBuffer& buffer, std::string_view& text);

  // The error number of a failed read; 0 without one.
  [[nodiscard]] int error() const { return error_; }

  // The stretch handed out last is the head of a line whose rest is still
  // to be read past.
  [[nodiscard]] bool rest_to_skip() const { return rest_to_skip_; }

 private:
  static void make_room(StretchBuffer& buffer, std::size_t needed);
  // Skips the rest of a long line; what follows its line feed is carried.
  bool skip_rest(StretchBuffer& buffer);
  // Reads up to `count` bytes; 0 at the end of the file or on an error.
  std::size_t read_some(char* to, std::size_t count);

  int fd_;
  std::size_t width_;
  std::size_t chunk_bytes_;
  std::vector<char> carry_;
  bool eof_ = false;
  bool rest_to_skip_ = false;
  int error_ = 0;
  textio::Fingerprint* fingerprint_;
};

}  // namespace skaldur::series::detail
