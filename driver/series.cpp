#include "driver/series.hpp"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

#include "textio/fields.hpp"
#include "textio/freeform.hpp"
#include "textio/result.hpp"

namespace skaldur::driver {
namespace {

bool is_comment(std::string_view line) {
  if (line.empty()) return false;
  const char c = line.front();
  return c == '$' || c == '#' || c == '!' || c == '\'';
}

bool is_blank(std::string_view line) {
  // Most lines start with a digit or a sign: only a leading blank needs a look further.
  return line.empty() || (line.front() == ' ' && line.find_first_not_of(' ') == std::string::npos);
}

std::string ordinal_value(std::size_t index) {
  return index == 0 ? "the time" : "stress value " + std::to_string(index);
}

// Reads the time and `count` stress values of a data line into `values`
// (values[0] is the time). Fills `why` when the line does not hold them.
bool read_values(std::string_view line, std::size_t count, std::vector<double>& values,
                 std::string& why) {
  if (values.size() != count + 1) values.resize(count + 1);
  if (textio::read_reals(line, values)) return true;
  // Read the line again, value by value, to say what is wrong with it.
  textio::FreeFormReader reader(line);
  for (std::size_t i = 0; i <= count; ++i) {
    const auto value = reader.real();
    if (!value) {
      if (value.error() == textio::ReadError::missing) {
        why = "the line holds fewer numbers than the time and " + std::to_string(count) +
              (count == 1 ? " stress value" : " stress values");
      } else {
        why = "cannot read " + ordinal_value(i) + " '" +
              std::string(reader.value_text().substr(0, 80)) +
              "' as a number: " + std::string(textio::describe(value.error()));
      }
      return false;
    }
    values[i] = *value;
  }
  return true;
}

// What the lines after the first accepted one need: they are read with the
// column count and the column fixed by it.
struct LineRules {
  std::size_t per_line = 1;
  std::size_t column = 2;
  TimeWindow window;
  std::size_t width = textio::kLineWidth;  // lines are read through this many characters
};

constexpr std::size_t kMostValues =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// The outcome of reading one stretch of whole lines.
struct ChunkResult {
  enum class Stop { none, window, error };
  std::vector<float> values;  // accepted stresses, in order
  std::int64_t lines = 0;     // lines in the stretch
  bool any_data = false;      // a data line was read: last_time holds its time
  double last_time = 0.0;
  Stop stop = Stop::none;
  std::int64_t stop_line = 0;  // from 1 within the stretch
  std::string stop_text;
  std::string stop_what;

  // Empties the result, keeping the memory of its values.
  void clear() {
    values.clear();
    lines = 0;
    any_data = false;
    last_time = 0.0;
    stop = Stop::none;
    stop_line = 0;
  }
};

// Reads the whole lines of `text` (the last one may lack its line feed) by
// the rules, accepting at most `limit` values.
void read_chunk(std::string_view text, const LineRules& rules, std::size_t limit,
                ChunkResult& result) {
  std::vector<double> values;
  std::string why;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    const char* const line_end = nl != nullptr ? static_cast<const char*>(nl) : end;
    std::string_view line(p, static_cast<std::size_t>(line_end - p));
    p = nl != nullptr ? line_end + 1 : end;
    ++result.lines;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, std::min(line.size(), rules.width));
    if (is_comment(line) || is_blank(line)) continue;

    const auto stop = [&](ChunkResult::Stop kind, std::string what) {
      result.stop = kind;
      result.stop_line = result.lines;
      result.stop_text.assign(line);
      result.stop_what = std::move(what);
    };
    if (!read_values(line, rules.per_line, values, why)) return stop(ChunkResult::Stop::error, why);
    result.any_data = true;
    result.last_time = values[0];
    if (values[0] < rules.window.first_time) continue;
    if (values[0] > rules.window.last_time) return stop(ChunkResult::Stop::window, {});
    if (result.values.size() >= limit) {
      return stop(ChunkResult::Stop::error, "the time window holds more than 2147483647 values");
    }
    const float stress = static_cast<float>(values[rules.column - 1]);
    if (std::isinf(stress)) {
      return stop(ChunkResult::Stop::error, "the stress of column " + std::to_string(rules.column) +
                                                " is beyond the single-precision range");
    }
    result.values.push_back(stress);
  }
}

// Memory for one stretch, allocated once and reused: a stretch's bytes are
// written by read() before they are looked at, so they are never cleared.
struct StretchBuffer {
  std::unique_ptr<char[]> data;
  std::size_t capacity = 0;
};

// Hands out a file in stretches of whole lines, about `chunk_bytes` each. A
// line longer than a stretch is kept through its first characters only.
class ChunkSource {
 public:
  ChunkSource(int fd, std::string_view unread, std::size_t chunk_bytes, std::size_t width)
      : fd_(fd),
        width_(width),
        chunk_bytes_(std::max(chunk_bytes, width + 2)),
        carry_(unread.begin(), unread.end()) {}

  // Fills `buffer` with the next stretch and points `text` at it; false at
  // the end of the file or after a read error (see error()).
  bool next(StretchBuffer& buffer, std::string_view& text) {
    // Room for the carry (the head of a line, or at the start the bytes the
    // line reader had read ahead) and a stretch behind it.
    const std::size_t needed = std::max(2 * chunk_bytes_, carry_.size() + chunk_bytes_);
    if (buffer.capacity < needed) {
      buffer.data = std::make_unique_for_overwrite<char[]>(needed);
      buffer.capacity = needed;
    }
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
    // One line fills the whole stretch: keep its head (one character more
    // than is read, so a carriage return at the cut is no line end) and skip
    // the rest of it.
    const std::size_t head = width_ + 1;
    while (!eof_) {
      const std::size_t n = read_some(data + head, buffer.capacity - head);
      if (error_ != 0) return false;
      const auto nl = std::string_view(data + head, n).find('\n');
      if (nl != std::string_view::npos) {
        carry_.assign(data + head + nl + 1, data + head + n);
        break;
      }
    }
    data[head] = '\n';
    text = std::string_view(data, head + 1);
    return true;
  }

  [[nodiscard]] int error() const { return error_; }

 private:
  // Reads up to `count` bytes; 0 at the end of the file or on an error.
  std::size_t read_some(char* to, std::size_t count) {
    ssize_t n = 0;
    do {
      n = ::read(fd_, to, count);
    } while (n < 0 && errno == EINTR);
    if (n < 0) error_ = errno;
    if (n == 0) eof_ = true;
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }

  int fd_;
  std::size_t width_;
  std::size_t chunk_bytes_;
  std::vector<char> carry_;
  bool eof_ = false;
  int error_ = 0;
};

// Reads the lines after the first accepted one. Two stretches at a time are
// read side by side on two threads and taken in file order, so the values,
// the end of the window and the first unreadable line are exactly those of a
// reading line by line. Returns false with `error` filled.
bool read_rest(int fd, std::string_view unread, std::int64_t lines_before, const LineRules& rules,
               const ReadTuning& tuning, SeriesData& data, double& line_time, SeriesError& error) {
  ChunkSource source(fd, unread, tuning.chunk_bytes, rules.width);
  const bool two_threads = tuning.two_threads && std::thread::hardware_concurrency() > 1;
  StretchBuffer store_a;
  StretchBuffer store_b;
  ChunkResult ra;
  ChunkResult rb;
  std::int64_t base = lines_before;
  std::int64_t bytes_seen = 0;
  struct stat info {};
  const bool sized = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  bool reserved = false;

  // Takes one stretch's result; true when the reading goes on.
  const auto take = [&](ChunkResult& r, bool& failed) {
    data.series.insert(data.series.end(), r.values.begin(), r.values.end());
    if (r.any_data) line_time = r.last_time;
    if (r.stop == ChunkResult::Stop::error) {
      error.line = base + r.stop_line;
      error.text = std::move(r.stop_text);
      error.what = std::move(r.stop_what);
      failed = true;
    }
    base += r.lines;
    return r.stop == ChunkResult::Stop::none;
  };

  while (true) {
    std::string_view a;
    std::string_view b;
    if (!source.next(store_a, a)) break;
    const bool have_b = two_threads && source.next(store_b, b);
    ra.clear();
    rb.clear();
    const std::size_t room = kMostValues - data.series.size();
    if (have_b) {
      std::thread other([&] { read_chunk(b, rules, room, rb); });
      read_chunk(a, rules, room, ra);
      other.join();
    } else {
      read_chunk(a, rules, room, ra);
    }
    bool failed = false;
    if (!take(ra, failed)) return !failed;
    if (have_b) {
      if (rb.values.size() > kMostValues - data.series.size()) {
        // Both stretches together pass the limit: read the second again with
        // the room the first one left, to stop at the right line.
        rb.clear();
        read_chunk(b, rules, kMostValues - data.series.size(), rb);
      }
      if (!take(rb, failed)) return !failed;
    }
    // Room for the rest of the file, judged by the lines of the first
    // stretches, so that the series is allocated once instead of doubling
    // (and copying) its way past its size.
    bytes_seen += static_cast<std::int64_t>(a.size() + b.size());
    if (sized && !reserved && base > lines_before) {
      reserved = true;
      const double per_line =
          static_cast<double>(bytes_seen) / static_cast<double>(base - lines_before);
      const auto left = static_cast<double>(info.st_size - ::lseek(fd, 0, SEEK_CUR));
      const auto expected =
          data.series.size() + static_cast<std::size_t>(1.02 * left / per_line) + 1024;
      if (expected > data.series.capacity()) data.series.reserve(std::min(expected, kMostValues));
      prefer_huge_pages(data.series.data(), data.series.capacity() * sizeof(float));
    }
  }
  if (source.error() != 0) {
    error.line = base;
    error.text.clear();
    error.what = std::string("the file cannot be read: ") + std::strerror(source.error());
    return false;
  }
  return true;
}

}  // namespace

void prefer_huge_pages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
  if (last > first) {
    // Advice the system may ignore; its answer changes nothing here.
    static_cast<void>(::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE));
  }
}

bool read_series(textio::LineReader& lines, const TimeWindow& window,
                 const ColumnChooser& choose_column, SeriesData& data, SeriesError& error,
                 const ReadTuning& tuning) {
  data.series.clear();
  std::size_t per_line = 1;  // stress values read from each line
  std::size_t column = 2;
  double line_time = 0.0;
  double start_time = 0.0;
  std::vector<double> values;

  const auto stop = [&](std::string_view line, std::string what) {
    error.line = lines.line_number();
    error.text.assign(line);
    error.what = std::move(what);
    return false;
  };

  std::string_view line;
  while (true) {
    const auto status = lines.next(line);
    if (status == textio::LineReader::Status::error) {
      return stop({}, std::string("the file cannot be read: ") + std::strerror(lines.error()));
    }
    if (status == textio::LineReader::Status::end) break;
    if (is_comment(line) || is_blank(line)) continue;

    std::string why;
    if (!read_values(line, per_line, values, why)) return stop(line, std::move(why));
    line_time = values[0];
    if (line_time < window.first_time) continue;
    if (line_time > window.last_time) break;

    if (data.series.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
      return stop(line, "the time window holds more than 2147483647 values");
    }
    if (data.series.empty()) {
      const auto fields = textio::LINFLD(line);
      if (!fields) {
        return stop(line, "cannot read the fields of the first line: " +
                              std::string(textio::describe(fields.error())));
      }
      const std::size_t count = fields->size();
      per_line = count > 2 ? count - 1 : 1;
      if (!read_values(line, per_line, values, why)) return stop(line, std::move(why));
      column = static_cast<std::size_t>(choose_column(static_cast<int>(per_line + 1)));
      start_time = line_time;
    }
    const float stress = static_cast<float>(values[column - 1]);
    if (std::isinf(stress)) {
      return stop(line, "the stress of column " + std::to_string(column) +
                            " is beyond the single-precision range");
    }
    data.series.push_back(stress);
    break;  // the rest of the file is read in stretches
  }
  if (!data.series.empty()) {
    const LineRules rules{per_line, column, window, lines.width()};
    if (!read_rest(lines.descriptor(), lines.release_unread(), lines.line_number(), rules, tuning,
                   data, line_time, error)) {
      return false;
    }
  }
  data.simulation_length = line_time - start_time;
  return true;
}

}  // namespace skaldur::driver
