#include "series/detail/stretch_reader.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "series/detail/memory_hints.hpp"
#include "series/detail/stretch_lines.hpp"
#include "series/detail/stretch_source.hpp"

namespace skaldur::series::detail {
namespace {

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

// Reads the stretches of a file on one or two lanes (threads), lane i
// taking stretches i, i + lanes, ...: each lane reads its stretch from the
// file, reads its lines, and takes the values into the record. The reading
// from the file and the taking go strictly in file order, turn by turn; the
// lines of two stretches are read side by side. After the head of a long
// line nothing more is read from the file until that head is taken: when it
// ends the reading, the rest of its line is never read.
class StretchPipeline {
 public:
  StretchPipeline(ChunkSource& source, const LineRules& rules, Taken& taken, Record& record, int fd)
      : source_(source),
        rules_(rules),
        taken_(taken),
        record_(record),
        fd_(fd),
        lines_at_start_(taken.lines()),
        kept_(record.columns.front().size()) {}

  // Reads until the end of the file, a stop or a read error, on `lanes`
  // lanes (1 or 2; 1 when the system refuses a second thread).
  void run(int lanes) {
    std::jthread other;
    if (lanes > 1) {
      try {
        other = std::jthread([this] { run_lane(1, 2); });
      } catch (const std::system_error&) {
        lanes = 1;  // no second thread to be had: read on this one
      }
    }
    run_lane(0, lanes);
    if (other.joinable()) other.join();
    if (thrown_) std::rethrow_exception(thrown_);
  }

  // The reading ended on a read error, every stretch before it taken
  // without a stop.
  [[nodiscard]] bool read_failed() const { return read_failed_ && !stopped_; }

 private:
  void run_lane(std::int64_t first, int lanes) {
    StretchBuffer store;
    ChunkResult result;
    for (std::int64_t k = first;; k += lanes) {
      try {
        if (!take_stretch(k, store, result)) return;
      } catch (...) {
        const std::lock_guard lock(mutex_);
        if (!thrown_) thrown_ = std::current_exception();
        end_ = std::min(end_, k);
        turn_.notify_all();
        return;
      }
    }
  }

  // Reads stretch k, its lines, and takes it; false when the reading ended
  // before it or with it.
  bool take_stretch(std::int64_t k, StretchBuffer& store, ChunkResult& result) {
    if (!wait_for(read_turn_, k)) return false;
    std::string_view text;
    const bool got = source_.next(store, text);
    const bool head = got && source_.rest_to_skip();
    std::size_t room = 0;
    {
      const std::lock_guard lock(mutex_);
      if (!got) {
        end_ = std::min(end_, k);
        read_failed_ = source_.error() != 0;
      } else if (!head) {
        read_turn_ = k + 1;
      }
      room = kMostValues - kept_;
      turn_.notify_all();
    }
    if (!got) return false;
    result.clear();
    read_chunk(text, rules_, room, result);

    if (!wait_for(take_turn_, k)) return false;
    const std::size_t now_room = kMostValues - record_.columns.front().size();
    if (result.values.size() / record_.columns.size() > now_room) {
      // Stretches taken since this one was read leave less room: read it
      // again with the room left, to stop at the right line.
      result.clear();
      read_chunk(text, rules_, now_room, result);
    }
    const bool goes_on = taken_.take(result);
    bytes_taken_ += static_cast<std::int64_t>(text.size());
    if (goes_on && !reserved_ && taken_.lines() > lines_at_start_) {
      reserved_ = true;
      reserve_for_rest(fd_, bytes_taken_, rules_.window, record_.start_time, taken_.line_time(),
                       record_.columns);
    }
    const std::lock_guard lock(mutex_);
    kept_ = record_.columns.front().size();
    if (!goes_on) {
      end_ = std::min(end_, k + 1);
      stopped_ = true;
    }
    take_turn_ = k + 1;
    if (head) read_turn_ = k + 1;
    turn_.notify_all();
    return goes_on;
  }

  // Waits until it is stretch k's turn on `turn`; false when the reading
  // ended before stretch k.
  bool wait_for(const std::int64_t& turn, std::int64_t k) {
    std::unique_lock lock(mutex_);
    turn_.wait(lock, [&] { return turn == k || k >= end_; });
    return k < end_;
  }

  ChunkSource& source_;
  const LineRules& rules_;
  Taken& taken_;
  Record& record_;
  int fd_;
  // Touched only by the lane whose turn it is.
  std::int64_t lines_at_start_;
  std::int64_t bytes_taken_ = 0;
  bool reserved_ = false;
  // Guarded by mutex_.
  std::mutex mutex_;
  std::condition_variable turn_;
  std::int64_t read_turn_ = 0;
  std::int64_t take_turn_ = 0;
  std::int64_t end_ = std::numeric_limits<std::int64_t>::max();  // the first stretch not taken
  std::size_t kept_;  // values in each column, as of the last stretch taken
  bool read_failed_ = false;
  bool stopped_ = false;
  std::exception_ptr thrown_;
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
  Taken taken(record.columns, lines_before, record.start_time);
  StretchPipeline pipeline(source, rules, taken, record, fd);
  const bool two_threads = tuning.two_threads && std::thread::hardware_concurrency() > 1;
  pipeline.run(two_threads ? 2 : 1);
  if (pipeline.read_failed()) taken.fail_to_read(source.error());
  return taken.outcome();
}

}  // namespace skaldur::series::detail
