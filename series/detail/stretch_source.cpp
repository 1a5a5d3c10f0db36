#include "series/detail/stretch_source.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <span>

#include "textio/lines.hpp"
#include "textio/plain_line.hpp"

namespace skaldur::series::detail {

ChunkSource::ChunkSource(int fd, std::string_view unread, std::size_t chunk_bytes,
                         std::size_t width, textio::Fingerprint* fingerprint)
    : fd_(fd),
      width_(width),
      chunk_bytes_(std::max(chunk_bytes, width + 2)),
      carry_(unread.begin(), unread.end()),
      fingerprint_(fingerprint) {}

bool ChunkSource::next(StretchBuffer& buffer, std::string_view& text) {
  if (rest_to_skip_ && !skip_rest(buffer)) return false;
  // Room for the carry (the head of a line, or at the start the bytes the
  // line reader had read ahead) and a stretch behind it.
  make_room(buffer, std::max(2 * chunk_bytes_, carry_.size() + chunk_bytes_));
  char* const data = buffer.data.get();
  std::copy(carry_.begin(), carry_.end(), data);
  std::size_t size = carry_.size();
  carry_.clear();
  while (size < chunk_bytes_ && !eof_) {
    const std::size_t n = read_some(data + size, buffer.capacity - size);
    if (error_ != 0) return false;
    size += n;
  }
  if (size == 0) return false;
  // The quick reading of plain lines looks a little past a stretch's end.
  std::fill_n(data + size, textio::kPlainLineReach, '\0');
  if (eof_) {
    text = std::string_view(data, size);
    return true;
  }
  const auto last_nl = std::string_view(data, size).rfind('\n');
  if (last_nl != std::string_view::npos) {
    carry_.assign(data + last_nl + 1, data + size);
    text = std::string_view(data, last_nl + 1);
    return true;
  }
  // One line fills the whole stretch: its head alone, the rest skipped later.
  const std::size_t head = textio::long_line_head(width_);
  data[head] = '\n';
  text = std::string_view(data, head + 1);
  rest_to_skip_ = true;
  return true;
}

void ChunkSource::make_room(StretchBuffer& buffer, std::size_t needed) {
  if (buffer.capacity < needed) {
    buffer.data = std::make_unique_for_overwrite<char[]>(needed + textio::kPlainLineReach);
    buffer.capacity = needed;
  }
}

bool ChunkSource::skip_rest(StretchBuffer& buffer) {
  rest_to_skip_ = false;
  make_room(buffer, chunk_bytes_);
  const textio::LineRest rest = textio::skip_line_rest(
      fd_, std::span<char>(buffer.data.get(), buffer.capacity), fingerprint_);
  if (rest.error != 0) {
    error_ = rest.error;
    return false;
  }
  eof_ = !rest.found;
  carry_.assign(buffer.data.get() + rest.after, buffer.data.get() + rest.filled);
  return true;
}

std::size_t ChunkSource::read_some(char* to, std::size_t count) {
  ssize_t n = 0;
  do {
    n = ::read(fd_, to, count);
  } while (n < 0 && errno == EINTR);
  if (n < 0) error_ = errno;
  if (n == 0) eof_ = true;
  if (n <= 0) return 0;
  if (fingerprint_ != nullptr) fingerprint_->add(std::string_view(to, static_cast<std::size_t>(n)));
  return static_cast<std::size_t>(n);
}

}  // namespace skaldur::series::detail
