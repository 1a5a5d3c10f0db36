#include "series/detail/stretch_reader.hpp"

#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "series/detail/memory_hints.hpp"
#include "series/detail/stretch_source.hpp"
#include "textio/plain_line.hpp"

namespace skaldur::series::detail {
namespace {

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
// the rules, accepting at most `limit` lines. Most lines of a record are
// short lines of plain numbers, read without looking for their end first;
// the text is followed by textio::kPlainLineReach readable bytes for them.
void read_chunk(std::string_view text, const LineRules& rules, std::size_t limit,
                ChunkResult& result) {
  std::vector<double> values(rules.per_line + 1);
  std::string why;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    std::string_view line;
    Verdict verdict = Verdict::skip;
    const std::size_t plain = textio::read_plain_line(p, end, values);
    if (plain != 0 && plain <= rules.width) {
      line = textio::cut_line(std::string_view(p, plain), rules.width);
      p += plain + 1;
      verdict = rules.place(values[0]);
    } else {
      const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      const char* const line_end = nl != nullptr ? static_cast<const char*>(nl) : end;
      const std::string_view raw(p, static_cast<std::size_t>(line_end - p));
      line = textio::cut_line(raw, rules.width);
      p = nl != nullptr ? line_end + 1 : end;
      verdict = rules.judge(line, textio::after_cut(raw, rules.width), values, why);
    }
    ++result.lines;

    const auto stop = [&](ChunkResult::Stop kind, std::string what) {
      result.stop = kind;
      result.stop_line = result.lines;
      result.stop_text.assign(line);
      result.stop_what = std::move(what);
    };
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

// Reads stretch `a` on this thread and `b` on a second one, side by side.
// When the system refuses the second thread, `b` is read after `a` on this
// thread and `two_threads` is cleared for the rest of the reading.
void read_side_by_side(std::string_view a, std::string_view b, const LineRules& rules,
                       std::size_t limit, ChunkResult& ra, ChunkResult& rb, bool& two_threads) {
  std::exception_ptr thrown;
  std::jthread other;
  try {
    other = std::jthread([&] {
      try {
        read_chunk(b, rules, limit, rb);
      } catch (...) {
        thrown = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    two_threads = false;  // no second thread to be had: read on this one
  }
  read_chunk(a, rules, limit, ra);
  if (other.joinable()) {
    other.join();
    if (thrown) std::rethrow_exception(thrown);
  } else {
    read_chunk(b, rules, limit, rb);
  }
}

// What the stretches taken so far, in file order, have given.
class Taken {
 public:
  Taken(std::vector<std::vector<float>>& columns, std::int64_t lines, double line_time)
      : columns_(columns), lines_(lines), line_time_(line_time) {}

  // Takes one stretch's result into the columns; true when the reading goes
  // on after it.
  bool take(ChunkResult& r) {
    append_lines(r.values, columns_);
    if (r.any_data) line_time_ = r.last_time;
    if (r.stop == ChunkResult::Stop::error) {
      error_ =
          textio::LineError{lines_ + r.stop_line, std::move(r.stop_text), std::move(r.stop_what)};
    }
    lines_ += r.lines;
    return r.stop == ChunkResult::Stop::none;
  }

  // The file could not be read after the lines taken.
  void fail_to_read(int error_number) {
    error_ = textio::LineError{lines_, {}, textio::cannot_read(error_number)};
  }

  // The lines of the file read so far, and the time of the last data line.
  [[nodiscard]] std::int64_t lines() const { return lines_; }
  [[nodiscard]] double line_time() const { return line_time_; }

  // The time of the last data line, or the error that stopped the reading.
  [[nodiscard]] textio::Result<double, textio::LineError> outcome() {
    if (error_) return textio::fail(std::move(*error_));
    return line_time_;
  }

 private:
  std::vector<std::vector<float>>& columns_;
  std::int64_t lines_;
  double line_time_;
  std::optional<textio::LineError> error_;
};

}  // namespace

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

textio::Result<double, textio::LineError> read_rest(int fd, std::string_view unread,
                                                    std::int64_t lines_before,
                                                    const LineRules& rules,
                                                    const ReadTuning& tuning, Record& record,
                                                    textio::Fingerprint* fingerprint) {
  ChunkSource source(fd, unread, tuning.chunk_bytes, rules.width, fingerprint);
  bool two_threads = tuning.two_threads && std::thread::hardware_concurrency() > 1;
  StretchBuffer store_a;
  StretchBuffer store_b;
  ChunkResult ra;
  ChunkResult rb;
  Taken taken(record.columns, lines_before, record.start_time);
  const std::vector<float>& kept = record.columns.front();  // as many values as each column
  std::int64_t bytes_seen = 0;
  bool reserved = false;
  while (true) {
    std::string_view a;
    std::string_view b;
    if (!source.next(store_a, a)) break;
    // The head of a long line goes alone: when it ends the reading, the rest
    // of its line is never read.
    const bool have_b = two_threads && !source.rest_to_skip() && source.next(store_b, b);
    ra.clear();
    rb.clear();
    if (have_b) {
      read_side_by_side(a, b, rules, kMostValues - kept.size(), ra, rb, two_threads);
    } else {
      read_chunk(a, rules, kMostValues - kept.size(), ra);
    }
    if (!taken.take(ra)) return taken.outcome();
    if (have_b) {
      if (rb.values.size() / record.columns.size() > kMostValues - kept.size()) {
        // Both stretches together pass the limit: read the second again with
        // the room the first one left, to stop at the right line.
        rb.clear();
        read_chunk(b, rules, kMostValues - kept.size(), rb);
      }
      if (!taken.take(rb)) return taken.outcome();
    }
    bytes_seen += static_cast<std::int64_t>(a.size() + b.size());
    if (!reserved && taken.lines() > lines_before) {
      reserved = true;
      reserve_for_rest(fd, bytes_seen, rules.window, record.start_time, taken.line_time(),
                       record.columns);
    }
  }
  if (source.error() != 0) taken.fail_to_read(source.error());
  return taken.outcome();
}

}  // namespace skaldur::series::detail
