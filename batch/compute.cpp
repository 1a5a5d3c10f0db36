#include "batch/compute.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

#include "damage/assess.hpp"
#include "series/series.hpp"
#include "textio/line_error.hpp"
#include "textio/lines.hpp"
#include "textio/text.hpp"

namespace skaldur::batch {
namespace {

// The column of the series file that a hotspot names, or why there is none.
textio::Result<int, std::string> column_of(const ColumnRef& ref, const series::Layout& layout) {
  if (ref.number > 0) {
    if (ref.number > layout.columns) {
      return textio::fail("column " + std::to_string(ref.number) + " is not there: the file has " +
                          std::to_string(layout.columns) + " columns");
    }
    return ref.number;
  }
  if (layout.names.empty()) {
    return textio::fail("no column named '" + ref.name +
                        "': no comment line before the first data line names the columns");
  }
  for (std::size_t i = 1; i < layout.names.size(); ++i) {
    if (layout.names[i] == ref.name) return static_cast<int>(i + 1);
  }
  return textio::fail("no column named '" + ref.name + "' among the stress columns of the header");
}

Outcome<CaseResult> compute_case(const Job& job, const LoadCase& lc, std::vector<float>& work,
                                 bool two_threads) {
  const std::string file = lc.path.string();
  const std::string which = " (load case '" + lc.name + "')";
  const int fd = ::open(lc.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bad_input("cannot open " + file + ": " + std::strerror(errno) + which);
  textio::LineReader lines(fd);

  const std::size_t n_hot = job.hotspots.size();
  std::vector<std::size_t> slot(n_hot);  // hotspot -> index among the columns read
  std::optional<BatchError> unknown_column;
  const series::ColumnChooser choose =
      [&](const series::Layout& layout) -> textio::Result<std::vector<int>, std::string> {
    std::vector<int> columns;
    for (std::size_t h = 0; h < n_hot; ++h) {
      const Hotspot& hot = job.hotspots[h];
      const auto column = column_of(hot.column, layout);
      if (!column) {
        unknown_column = BatchError{
            kExitBadInput, place(job.path.string(), hot.column_line, "column") + ": hotspot '" +
                               hot.name + "': " + file + ": " + column.error() + which};
        return textio::fail(column.error());
      }
      const auto at = std::find(columns.begin(), columns.end(), *column);
      slot[h] = static_cast<std::size_t>(at - columns.begin());
      if (at == columns.end()) columns.push_back(*column);
    }
    return columns;
  };
  series::ReadTuning tuning;
  tuning.two_threads = two_threads;
  auto record = series::read_columns(lines, {lc.first_time, lc.last_time}, choose, tuning);
  ::close(fd);
  if (unknown_column) return textio::fail(*unknown_column);
  if (!record) return bad_input(textio::describe(record.error(), file) + which);
  series::Record& rec = record.value();

  CaseResult result;
  result.steps = rec.n_steps;
  result.simulation_length = rec.simulation_length;
  if (job.weight_kind != WeightKind::occurrences_per_year && !(rec.simulation_length > 0.0)) {
    return bad_input(file + ": the record spans no time (simulation length " +
                     std::to_string(rec.simulation_length) +
                     "), so it cannot be weighed into the year" + which);
  }

  result.runs.resize(n_hot);
  if (rec.columns.empty()) {  // no line in the window: nothing to count, as in the dialogue
    result.done = true;
    return result;
  }
  // The last hotspot that reads a column may let the assessment work in the
  // column's own storage; the others work in `work`.
  std::vector<std::size_t> last_use(rec.columns.size());
  for (std::size_t h = 0; h < n_hot; ++h)
    last_use[slot[h]] = h;
  const auto n = static_cast<std::size_t>(rec.n_steps);
  const std::size_t room = damage::work_size(n);
  for (std::size_t h = 0; h < n_hot; ++h) {
    const Hotspot& hot = job.hotspots[h];
    std::vector<float>& column = rec.columns[slot[h]];
    std::span<float> scratch;
    if (last_use[slot[h]] == h) {
      column.resize(room, 0.0f);
      scratch = column;
    } else {
      work.resize(room);
      scratch = work;
    }
    const std::span<const float> values(column.data(), n);
    const damage::CurveOpt curve_opt{hot.thickness, hot.scf};
    const damage::BlockRequest blocks{job.force_unit_factor, hot.blocks};
    auto assessed = damage::assess(values, scratch, hot.curve.record, curve_opt, blocks);
    Run& run = result.runs[h];
    if (!assessed) {
      if (assessed.error().kind == damage::AssessFailure::too_short) {
        run.status = "too_short";
        continue;
      }
      return textio::fail(BatchError{
          kExitFailed, "hotspot '" + hot.name + "', " + file + ": the damage computation failed: " +
                           std::string(damage::describe(assessed.error().kind)) + which});
    }
    damage::Assessment& a = assessed.value();
    run.damage = a.damage;
    run.n_cycles = a.n_cycles;
    run.ts_range = a.ts_range;
    run.n_blocks = a.n_blocks;
    run.bloc_len = a.bloc_len;
    run.hist = std::move(a.hist);
  }
  result.done = true;
  return result;
}

// Files and bytes done, the rate and the time left, on one line redrawn in place.
class Progress {
 public:
  Progress(std::ostream& out, bool shown, std::size_t files, std::uintmax_t bytes)
      : out_(out), shown_(shown), files_(files), bytes_(bytes) {}

  void file_done(std::uintmax_t bytes) {
    if (!shown_) return;
    const std::lock_guard lock(mutex_);
    ++files_done_;
    bytes_done_ += bytes;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double rate = seconds > 0.0 ? static_cast<double>(bytes_done_) / seconds : 0.0;
    const double left = rate > 0.0 ? static_cast<double>(bytes_ - bytes_done_) / rate : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, "\r%zu/%zu files  %.1f/%.1f MB  %.1f MB/s  %d:%02d left ",
                  files_done_, files_, static_cast<double>(bytes_done_) / 1e6,
                  static_cast<double>(bytes_) / 1e6, rate / 1e6, static_cast<int>(left) / 60,
                  static_cast<int>(left) % 60);
    out_ << text << std::flush;
  }

  void finish() {
    if (shown_ && files_done_ > 0) out_ << '\n' << std::flush;
  }

 private:
  std::ostream& out_;
  bool shown_;
  std::size_t files_;
  std::uintmax_t bytes_;
  std::mutex mutex_;
  std::size_t files_done_ = 0;
  std::uintmax_t bytes_done_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::uintmax_t size_of(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

}  // namespace

Outcome<std::vector<CaseResult>> compute(const Job& job, const std::vector<std::size_t>& which,
                                         const ComputeOptions& options,
                                         std::ostream& progress_out) {
  std::vector<CaseResult> results(job.load_cases.size());
  std::vector<std::optional<BatchError>> errors(job.load_cases.size());
  std::uintmax_t total = 0;
  for (const std::size_t c : which)
    total += size_of(job.load_cases[c].path);
  Progress progress(progress_out, options.progress, which.size(), total);

  if (which.empty()) return results;  // a shard beyond the last load case
  const std::size_t workers =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), 1, which.size());
  // One file at a time reads with two threads; several files keep the cores busy anyway.
  const bool two_threads = workers == 1;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  const auto work = [&] {
    std::vector<float> scratch;
    while (!stop.load()) {
      const std::size_t i = next.fetch_add(1);
      if (i >= which.size()) return;
      const std::size_t c = which[i];
      auto r = compute_case(job, job.load_cases[c], scratch, two_threads);
      if (!r) {
        errors[c] = r.error();
        stop = true;
        return;
      }
      results[c] = std::move(r).value();
      progress.file_done(size_of(job.load_cases[c].path));
    }
  };
  if (workers == 1) {
    work();
  } else {
    std::vector<std::jthread> threads;
    for (std::size_t t = 0; t < workers; ++t)
      threads.emplace_back(work);
  }
  progress.finish();
  // Cases are taken in table order, so every case before a failed one was
  // taken too and has finished: the first error in table order is the same
  // whatever the number of workers.
  for (const auto& e : errors) {
    if (e) return textio::fail(*e);
  }
  return results;
}

}  // namespace skaldur::batch
