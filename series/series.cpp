#include "series/series.hpp"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "textio/fields.hpp"
#include "textio/freeform.hpp"

namespace skaldur::series {
namespace {

constexpr std::size_t kMostValues =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

std::string ordinal_value(std::size_t index) {
  return index == 0 ? "the time" : "stress value " + std::to_string(index);
}

// Of a line cut before `after` (see textio::after_cut), the index (0 the
// time) of the value the cut divides, among the time and the `count` stress
// values the line holds; npos when the cut divides none of them.
std::size_t divided_value(std::string_view line, char after, std::size_t count) {
  constexpr auto kNone = std::string_view::npos;
  if (after == '\n' || textio::ends_value(after)) return kNone;
  textio::FreeFormReader reader(line);
  for (std::size_t i = 0; i <= count; ++i) {
    if (!reader.real()) return kNone;
    if (reader.value_start() + reader.value_text().size() == line.size()) return i;
  }
  return kNone;
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
      if (value.error() == textio::NumberError::missing) {
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

// What a line is, by the rules every line of the record follows.
enum class Verdict {
  skip,    // a comment or a line of blanks
  bad,     // a data line without the values it must hold
  early,   // a data line before the window
  late,    // a data line after the window: the reading ends
  accept,  // a data line in the window
};

// The rules of the data lines. Until the first accepted line a line is read
// for the time and one stress value; that line fixes the values per line and
// the chosen columns for the rest.
struct LineRules {
  TimeWindow window;
  std::size_t per_line = 1;          // stress values read from each line
  std::vector<std::size_t> columns;  // chosen, from 2 (values[column - 1])
  std::size_t first = 1;             // the index in `values` of the first chosen column
  bool several = false;              // more than one column chosen
  std::size_t width = textio::kLineWidth;

  // Judges one line, cut before `after` (see textio::after_cut); a data
  // line's values go into `values`, values[0] its time. Fills `why` for a bad
  // line. An accepted line whose cut divides the value of a chosen column is
  // bad: the front of the value would be read as the number. (A cut that
  // divides the time leaves too few values: the note on the cut says why.)
  Verdict judge(std::string_view line, char after, std::vector<double>& values,
                std::string& why) const {
    if (textio::is_comment_line(line) || textio::is_blank_line(line)) return Verdict::skip;
    if (!read_values(line, per_line, values, why)) {
      if (after != '\n') why += " (" + cut_text() + ")";
      return Verdict::bad;
    }
    if (values[0] < window.first_time) return Verdict::early;
    if (values[0] > window.last_time) return Verdict::late;
    if (after != '\n' && cut_divides(line, after, why)) return Verdict::bad;
    return Verdict::accept;
  }

  [[nodiscard]] std::string cut_text() const {
    return "the line is cut at its " + std::to_string(width) + "-character limit";
  }

  // True, with `why` filled, when the cut of a line read whole divides the
  // value of a chosen column.
  bool cut_divides(std::string_view line, char after, std::string& why) const {
    const std::size_t index = divided_value(line, after, per_line);
    if (index == std::string_view::npos ||
        std::find(columns.begin(), columns.end(), index + 1) == columns.end()) {
      return false;
    }
    why = cut_text() + " inside the value of column " + std::to_string(index + 1);
    return true;
  }

  // Appends the chosen stresses of an accepted line to `out`, line after
  // line, unless `out` already holds `room` lines; false with `why` filled
  // when there is no room left or a stress is beyond the single-precision
  // range.
  bool keep(const std::vector<double>& values, std::size_t room, std::vector<float>& out,
            std::string& why) const {
    if (!several) {  // the dialogue's case, kept as lean as one push
      if (out.size() >= room) return no_room(why);
      const float stress = static_cast<float>(values[first]);
      if (std::isinf(stress)) return beyond_float(first + 1, why);
      out.push_back(stress);
      return true;
    }
    if (out.size() / columns.size() >= room) return no_room(why);
    for (const std::size_t column : columns) {
      if (std::isinf(static_cast<float>(values[column - 1]))) return beyond_float(column, why);
    }
    for (const std::size_t column : columns)
      out.push_back(static_cast<float>(values[column - 1]));
    return true;
  }

  static bool no_room(std::string& why) {
    why = "the time window holds more than 2147483647 values";
    return false;
  }

  static bool beyond_float(std::size_t column, std::string& why) {
    why =
        "the stress of column " + std::to_string(column) + " is beyond the single-precision range";
    return false;
  }
};

// The outcome of reading one stretch of whole lines.
struct ChunkResult {
  enum class Stop { none, window, error };
  std::vector<float> values;  // accepted stresses, line after line, the chosen columns of each
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
// the rules, accepting at most `limit` lines.
void read_chunk(std::string_view text, const LineRules& rules, std::size_t limit,
                ChunkResult& result) {
  std::vector<double> values;
  std::string why;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    const char* const line_end = nl != nullptr ? static_cast<const char*>(nl) : end;
    const std::string_view raw(p, static_cast<std::size_t>(line_end - p));
    const std::string_view line = textio::cut_line(raw, rules.width);
    p = nl != nullptr ? line_end + 1 : end;
    ++result.lines;

    const auto stop = [&](ChunkResult::Stop kind, std::string what) {
      result.stop = kind;
      result.stop_line = result.lines;
      result.stop_text.assign(line);
      result.stop_what = std::move(what);
    };
    const Verdict verdict = rules.judge(line, textio::after_cut(raw, rules.width), values, why);
    if (verdict == Verdict::skip) continue;
    if (verdict == Verdict::bad) return stop(ChunkResult::Stop::error, why);
    result.any_data = true;
    result.last_time = values[0];
    if (verdict == Verdict::early) continue;
    if (verdict == Verdict::late) return stop(ChunkResult::Stop::window, {});
    if (!rules.keep(values, limit, result.values, why)) {
      return stop(ChunkResult::Stop::error, why);
    }
  }
}

// Memory for one stretch, allocated once and reused: a stretch's bytes are
// written by read() before they are looked at, so they are never cleared.
struct StretchBuffer {
  std::unique_ptr<char[]> data;
  std::size_t capacity = 0;
};

// Hands out a file in stretches of whole lines, about `chunk_bytes` each. A
// line longer than a stretch is kept through its head only, as the line
// reader keeps it, and handed out alone: its rest is skipped when the next
// stretch is asked for, so that nothing past it is read when it ends the
// reading.
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

  [[nodiscard]] int error() const { return error_; }

  // The stretch handed out last is the head of a line whose rest is still
  // to be read past.
  [[nodiscard]] bool rest_to_skip() const { return rest_to_skip_; }

 private:
  static void make_room(StretchBuffer& buffer, std::size_t needed) {
    if (buffer.capacity < needed) {
      buffer.data = std::make_unique_for_overwrite<char[]>(needed);
      buffer.capacity = needed;
    }
  }

  // Skips the rest of a long line; what follows its line feed is carried.
  bool skip_rest(StretchBuffer& buffer) {
    rest_to_skip_ = false;
    make_room(buffer, chunk_bytes_);
    const textio::LineRest rest =
        textio::skip_line_rest(fd_, std::span<char>(buffer.data.get(), buffer.capacity));
    if (rest.error != 0) {
      error_ = rest.error;
      return false;
    }
    eof_ = !rest.found;
    carry_.assign(buffer.data.get() + rest.after, buffer.data.get() + rest.filled);
    return true;
  }

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
  bool rest_to_skip_ = false;
  int error_ = 0;
};

// Asks the system to back a large array with huge pages, so that filling it
// costs a few page faults instead of one per 4 KiB. Only a hint: nothing
// changes where the system does not follow it.
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

// Appends stresses kept line after line (the chosen columns of each line) to
// the columns.
void append_lines(const std::vector<float>& values, std::vector<std::vector<float>>& columns) {
  if (columns.size() == 1) {
    columns.front().insert(columns.front().end(), values.begin(), values.end());
    return;
  }
  for (std::size_t i = 0; i < values.size();) {
    for (auto& column : columns)
      column.push_back(values[i++]);
  }
}

// Room for the values of the rest of the window, so that the columns are
// allocated once instead of doubling (and copying) their way past their
// size. Judged from the values kept so far: by the bytes left in the file
// (a regular one) at the bytes per value read so far, and by the time left
// in the window at the values per time read so far, whichever is less. Only
// a hint: the columns still grow past it, and when the memory for it cannot
// be had the reading goes on without it.
void reserve_for_rest(int fd, std::int64_t bytes_read, const TimeWindow& window, double start_time,
                      double line_time, std::vector<std::vector<float>>& columns) {
  const auto kept = static_cast<double>(columns.front().size());
  double left = std::numeric_limits<double>::infinity();
  struct stat info {};
  const off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && at >= 0 && bytes_read > 0) {
    // The file may have shrunk (or grown) since it was opened.
    const auto bytes_left = static_cast<double>(std::max<off_t>(info.st_size - at, 0));
    left = bytes_left * kept / static_cast<double>(bytes_read);
  }
  if (line_time > start_time) {
    left = std::min(left, (window.last_time - line_time) * kept / (line_time - start_time));
  }
  const double wanted = kept + 1.02 * std::max(left, 0.0) + 1024.0;
  if (!(wanted < static_cast<double>(kMostValues))) return;
  const auto expected = static_cast<std::size_t>(wanted);
  try {
    for (auto& column : columns) {
      if (expected > column.capacity()) column.reserve(expected);
      prefer_huge_pages(column.data(), column.capacity() * sizeof(float));
    }
  } catch (const std::bad_alloc&) {
    // Not enough memory for the estimate: the columns grow as they fill.
  }
}

// Reads the lines after the first accepted one into `record`. Two stretches
// at a time are read side by side on two threads and taken in file order, so
// the values, the end of the window and the first unreadable line are exactly
// those of a reading line by line; when the system refuses the second thread
// they are read one after the other. `line_time` follows the last data line.
textio::Result<bool, textio::LineError> read_rest(int fd, std::string_view unread,
                                                  std::int64_t lines_before, const LineRules& rules,
                                                  const ReadTuning& tuning, Record& record,
                                                  double& line_time) {
  ChunkSource source(fd, unread, tuning.chunk_bytes, rules.width);
  bool two_threads = tuning.two_threads && std::thread::hardware_concurrency() > 1;
  StretchBuffer store_a;
  StretchBuffer store_b;
  ChunkResult ra;
  ChunkResult rb;
  std::vector<std::vector<float>>& out = record.columns;
  std::int64_t base = lines_before;
  std::int64_t bytes_seen = 0;
  bool reserved = false;
  textio::LineError error;

  // Takes one stretch's result; true when the reading goes on.
  const auto take = [&](ChunkResult& r, bool& failed) {
    append_lines(r.values, out);
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
  const auto done = [&](bool failed) -> textio::Result<bool, textio::LineError> {
    if (failed) return textio::fail(std::move(error));
    return true;
  };

  while (true) {
    std::string_view a;
    std::string_view b;
    if (!source.next(store_a, a)) break;
    // The head of a long line goes alone: when it ends the reading, the rest
    // of its line is never read.
    const bool have_b = two_threads && !source.rest_to_skip() && source.next(store_b, b);
    ra.clear();
    rb.clear();
    const std::size_t room = kMostValues - out.front().size();
    if (have_b) {
      std::exception_ptr thrown;
      std::jthread other;
      try {
        other = std::jthread([&] {
          try {
            read_chunk(b, rules, room, rb);
          } catch (...) {
            thrown = std::current_exception();
          }
        });
      } catch (const std::system_error&) {
        two_threads = false;  // no second thread to be had: read on this one
      }
      read_chunk(a, rules, room, ra);
      if (other.joinable()) {
        other.join();
        if (thrown) std::rethrow_exception(thrown);
      } else {
        read_chunk(b, rules, room, rb);
      }
    } else {
      read_chunk(a, rules, room, ra);
    }
    bool failed = false;
    if (!take(ra, failed)) return done(failed);
    if (have_b) {
      if (rb.values.size() / out.size() > kMostValues - out.front().size()) {
        // Both stretches together pass the limit: read the second again with
        // the room the first one left, to stop at the right line.
        rb.clear();
        read_chunk(b, rules, kMostValues - out.front().size(), rb);
      }
      if (!take(rb, failed)) return done(failed);
    }
    bytes_seen += static_cast<std::int64_t>(a.size() + b.size());
    if (!reserved && base > lines_before) {
      reserved = true;
      reserve_for_rest(fd, bytes_seen, rules.window, record.start_time, line_time, out);
    }
  }
  if (source.error() != 0) {
    error.line = base;
    error.what = textio::cannot_read(source.error());
    return done(true);
  }
  return true;
}

// The words of a comment line after its comment character, when they are
// `count`; nothing otherwise.
std::vector<std::string> column_names(std::string_view comment, int count) {
  std::vector<std::string> words;
  std::string_view rest = comment.substr(1);
  while (true) {
    const auto from = rest.find_first_not_of(' ');
    if (from == std::string_view::npos) break;
    rest.remove_prefix(from);
    const auto to = std::min(rest.find(' '), rest.size());
    words.emplace_back(rest.substr(0, to));
    rest.remove_prefix(to);
  }
  if (words.size() != static_cast<std::size_t>(count)) words.clear();
  return words;
}

}  // namespace

textio::Result<Record, textio::LineError> read_columns(textio::LineReader& lines,
                                                       const TimeWindow& window,
                                                       const ColumnChooser& choose,
                                                       const ReadTuning& tuning) {
  LineRules rules;
  rules.window = window;
  rules.width = lines.width();
  Record record;
  double line_time = 0.0;
  std::vector<double> values;
  std::string why;
  std::string header;  // the last comment line so far

  std::string_view line;
  const auto stop = [&](std::string what) -> textio::Result<Record, textio::LineError> {
    return textio::fail(textio::LineError{lines.line_number(), std::string(line), std::move(what)});
  };

  bool accepted = false;
  while (!accepted) {
    const auto status = lines.next(line);
    if (status == textio::LineReader::Status::error) {
      line = {};
      return stop(textio::cannot_read(lines.error()));
    }
    if (status == textio::LineReader::Status::end) break;
    const Verdict verdict = rules.judge(line, lines.after_cut(), values, why);
    if (verdict == Verdict::skip) {
      if (textio::is_comment_line(line)) header.assign(line);
      continue;
    }
    if (verdict == Verdict::bad) return stop(std::move(why));
    line_time = values[0];
    if (verdict == Verdict::early) continue;
    if (verdict == Verdict::late) break;

    // The first accepted line: its fields fix the layout of the record.
    const auto fields = textio::LINFLD(line);
    if (!fields) {
      return stop("cannot read the fields of the first line: " +
                  std::string(textio::describe(fields.error())));
    }
    const std::size_t count = fields->size();
    rules.per_line = count > 2 ? count - 1 : 1;
    if (!read_values(line, rules.per_line, values, why)) {
      if (lines.after_cut() != '\n') why += " (" + rules.cut_text() + ")";
      return stop(std::move(why));
    }
    Layout layout;
    layout.columns = static_cast<int>(rules.per_line + 1);
    if (!header.empty()) layout.names = column_names(header, layout.columns);
    auto chosen = choose(layout);
    if (!chosen) return stop(chosen.error());
    if (chosen->empty()) return stop("no column was chosen");
    for (const int column : *chosen) {
      if (column < 2 || column > layout.columns) {
        return stop("column " + std::to_string(column) + " is not one of the stress columns 2 to " +
                    std::to_string(layout.columns));
      }
      rules.columns.push_back(static_cast<std::size_t>(column));
    }
    if (lines.after_cut() != '\n' && rules.cut_divides(line, lines.after_cut(), why)) {
      return stop(std::move(why));
    }
    rules.first = rules.columns.front() - 1;
    rules.several = rules.columns.size() > 1;
    record.columns.resize(rules.columns.size());
    record.start_time = line_time;
    std::vector<float> kept;
    if (!rules.keep(values, 1, kept, why)) return stop(std::move(why));
    append_lines(kept, record.columns);
    accepted = true;
  }
  if (accepted) {
    // The rest of the file is read in stretches.
    const std::string_view unread = lines.release_unread();
    if (lines.error() != 0) {
      line = {};
      return stop(textio::cannot_read(lines.error()));
    }
    const auto rest = read_rest(lines.descriptor(), unread, lines.line_number(), rules, tuning,
                                record, line_time);
    if (!rest) return textio::fail(rest.error());
    record.n_steps = static_cast<std::int64_t>(record.columns.front().size());
  }
  record.simulation_length = line_time - record.start_time;
  return record;
}

}  // namespace skaldur::series
