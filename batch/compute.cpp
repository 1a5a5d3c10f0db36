#include "batch/compute.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <thread>

#include "batch/input_files.hpp"
#include "damage/assess.hpp"
#include "damage/cycle_assessment.hpp"
#include "damage/hot_spot_stress.hpp"
#include "series/series.hpp"
#include "textio/fingerprint.hpp"
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

// " (load case 'NAME')": the end of every message about a load case.
std::string about(const LoadCase& lc) {
  return " (load case '" + lc.name + "')";
}

// How a case's record is read: on two threads (when one file is read at a
// time), and with the fingerprint of its whole file (for a shard).
struct ReadHow {
  bool two_threads = false;
  bool fingerprint = false;
};

// A load case's record, read for the columns of the job's hotspots.
struct CaseRecord {
  series::Record record;  // each column read once
  // hotspot -> the indices of its columns among the record's: one for a
  // hotspot that reads a column, one per component for the others
  std::vector<std::vector<std::size_t>> slots;
  std::uint64_t fingerprint = 0;  // of the whole file, when asked for
};

// The columns of the series file that the job's hotspots and their
// components read, each once, in the order first named; `slots` gets each
// hotspot's indices among them.
Outcome<std::vector<int>> map_columns(const Job& job, const LoadCase& lc,
                                      const series::Layout& layout,
                                      std::vector<std::vector<std::size_t>>& slots) {
  std::vector<int> columns;
  for (std::size_t h = 0; h < job.hotspots.size(); ++h) {
    const Hotspot& hot = job.hotspots[h];
    std::vector<Component> read = hot.components;
    if (read.empty()) read.push_back({hot.column, 1.0, hot.column_line, "column"});
    slots[h].clear();
    for (const Component& c : read) {
      const auto column = column_of(c.column, layout);
      if (!column) {
        return bad_input(place(job.path.string(), c.line, c.key) + ": " + subject(hot) + ": " +
                         lc.path.string() + ": " + column.error() + about(lc));
      }
      const auto at = std::find(columns.begin(), columns.end(), *column);
      slots[h].push_back(static_cast<std::size_t>(at - columns.begin()));
      if (at == columns.end()) columns.push_back(*column);
    }
  }
  return columns;
}

// Reads the hotspots' columns of the case's record from `lines`, in one pass.
Outcome<CaseRecord> read_hotspot_columns(const Job& job, const LoadCase& lc,
                                         textio::LineReader& lines, const ReadHow& how) {
  const std::string file = lc.path.string();
  textio::Fingerprint fingerprint;
  if (how.fingerprint) lines.feed(&fingerprint);
  auto opening = series::open_record(lines, {lc.first_time, lc.last_time});
  if (!opening) return bad_input(textio::describe(opening.error(), file) + about(lc));
  CaseRecord read;
  read.slots.resize(job.hotspots.size());
  std::vector<int> columns;
  if (opening->layout().columns > 0) {  // else no line in the window: no column is read
    auto mapped = map_columns(job, lc, opening->layout(), read.slots);
    if (!mapped) return textio::fail(mapped.error());
    columns = std::move(mapped).value();
  }
  series::ReadTuning tuning;
  tuning.two_threads = how.two_threads;
  auto record = series::read_record(lines, std::move(opening).value(), columns, tuning);
  if (!record) return bad_input(textio::describe(record.error(), file) + about(lc));
  // Past the window's end too: the fingerprint is of the whole file (a
  // regular file: read_case refuses the others).
  if (how.fingerprint) {
    if (const int error = textio::add_rest_of_file(lines.descriptor(), fingerprint))
      return bad_input(textio::describe({0, {}, textio::cannot_read(error)}, file) + about(lc));
  }
  read.record = std::move(record).value();
  if (how.fingerprint) read.fingerprint = fingerprint.value();
  return read;
}

// Opens the case's record and reads it (see read_hotspot_columns).
Outcome<CaseRecord> read_case(const Job& job, const LoadCase& lc, const ReadHow& how) {
  const std::string file = lc.path.string();
  const auto input = open_input(lc.path, file);
  if (!input) return bad_input(input.error().message + about(lc));
  textio::LineReader lines(input->fd());
  return read_hotspot_columns(job, lc, lines, how);
}

// The blocks of a histogram that hold cycles, kept at their exact size: the
// runs of a job can be many, the blocks with cycles of a short record few.
std::vector<BlockCount> blocks_with_cycles(const std::vector<float>& hist) {
  std::vector<BlockCount> blocks;
  blocks.reserve(static_cast<std::size_t>(
      std::count_if(hist.begin(), hist.end(), [](float cycles) { return cycles > 0.0f; })));
  for (std::size_t k = 0; k < hist.size(); ++k) {
    if (hist[k] > 0.0f) blocks.push_back({static_cast<std::int32_t>(k), hist[k]});
  }
  return blocks;
}

// What the job asks of a hotspot's cycles beyond `skaldur`'s damage.
damage::CycleRequest cycle_request(const Job& job, const Hotspot& hot) {
  damage::CycleRequest request;
  request.conventions = job.conventions;
  request.method = hot.settings.method;
  request.mean_stress = hot.settings.mean_stress;
  request.static_stress = hot.settings.static_stress;
  request.matrix = job.outputs.matrix;
  if (job.outputs.del) request.del_exponents = job.outputs.del->m;
  return request;
}

// Assesses the hotspot on its column: by the dialogue's own path (in
// `scratch`) when nothing but its damage is asked, else cycle by cycle.
textio::Result<damage::CycleAssessment, damage::AssessError> assess_run(
    const Job& job, const Hotspot& hot, std::span<const float> values, std::span<float> scratch) {
  const damage::CurveOpt curve_opt = curve_opt_of(hot);
  const damage::BlockRequest blocks{job.force_unit_factor, hot.blocks};
  const damage::CycleRequest request = cycle_request(job, hot);
  if (!request.damage_only())
    return damage::assess_cycles(values, hot.curve.record, curve_opt, blocks, request);
  auto assessed = damage::assess(values, scratch, hot.curve.record, curve_opt, blocks);
  if (!assessed) return textio::fail(assessed.error());
  return damage::CycleAssessment{std::move(assessed).value(), {}, {}};
}

// The run of an assessment that counted cycles.
Run run_of(damage::CycleAssessment&& cycles) {
  Run run;
  run.matrix = std::move(cycles.matrix);
  run.del_sums = std::move(cycles.del_sums);
  const damage::Assessment& a = cycles.assessment;
  run.damage = a.damage;
  run.n_cycles = a.n_cycles;
  run.ts_range = a.ts_range;
  run.n_blocks = a.n_blocks;
  run.bloc_len = a.bloc_len;
  if (a.bloc_len == 0.0) run.status = RunStatus::no_swing;
  run.hist = blocks_with_cycles(a.hist);
  return run;
}

// Where a hotspot's assessment reads its series and works.
struct SeriesRoom {
  std::span<const float> values;
  std::span<float> scratch;
};

// The series of hotspot `h`. A hotspot with components has the sum of its
// columns (in `combined`, which the assessment may use up); a hotspot that
// reads one column has that column, and works in the column's own storage
// when no later hotspot reads the column (`last_use`), else in `work`.
SeriesRoom series_of(const Job& job, std::size_t h, CaseRecord& read,
                     const std::vector<std::size_t>& last_use, std::vector<float>& work,
                     std::vector<float>& combined) {
  const auto n = static_cast<std::size_t>(read.record.n_steps);
  const std::size_t room = damage::work_size(n);
  const std::vector<std::size_t>& slots = read.slots[h];
  const std::vector<Component>& components = job.hotspots[h].components;
  if (!components.empty()) {
    std::vector<damage::StressTerm<float>> terms;
    for (std::size_t i = 0; i < components.size(); ++i)
      terms.push_back(
          {std::span<const float>(read.record.columns[slots[i]]).first(n), components[i].factor});
    combined.resize(room, 0.0f);  // kept from one hotspot to the next
    damage::combine_stress<float>(terms, std::span<float>(combined).first(n));
    return {std::span<const float>(combined).first(n), combined};
  }
  std::vector<float>& column = read.record.columns[slots[0]];
  if (last_use[slots[0]] == h) {
    column.resize(room, 0.0f);
    return {std::span<const float>(column).first(n), column};
  }
  work.resize(room);
  return {std::span<const float>(column).first(n), work};
}

// Assesses every hotspot on its series of the case's record, in job order.
Outcome<std::vector<Run>> assess_hotspots(const Job& job, const LoadCase& lc, CaseRecord& read,
                                          std::vector<float>& work) {
  const std::size_t n_hot = job.hotspots.size();
  std::vector<std::size_t> last_use(read.record.columns.size());
  for (std::size_t h = 0; h < n_hot; ++h) {
    for (const std::size_t slot : read.slots[h])
      last_use[slot] = h;
  }
  std::vector<float> combined;
  std::vector<Run> runs(n_hot);
  for (std::size_t h = 0; h < n_hot; ++h) {
    const Hotspot& hot = job.hotspots[h];
    const SeriesRoom series = series_of(job, h, read, last_use, work, combined);
    auto assessed = assess_run(job, hot, series.values, series.scratch);
    if (!assessed) {
      if (assessed.error().kind == damage::AssessFailure::too_short) {
        runs[h].status = RunStatus::too_short;
        continue;
      }
      return textio::fail(BatchError{
          kExitFailed, "hotspot '" + hot.name + "', " + lc.path.string() +
                           ": the damage computation failed: " +
                           std::string(damage::describe(assessed.error().kind)) + about(lc)});
    }
    runs[h] = run_of(std::move(assessed).value());
  }
  return runs;
}

Outcome<CaseResult> compute_case(const Job& job, const LoadCase& lc, std::vector<float>& work,
                                 const ReadHow& how) {
  auto read = read_case(job, lc, how);
  if (!read) return textio::fail(read.error());
  const series::Record& rec = read->record;
  CaseResult result;
  result.steps = rec.n_steps;
  result.simulation_length = rec.simulation_length;
  result.fingerprint = read->fingerprint;
  if (rec.n_steps < 2) {  // an empty or one-line window or record: nothing to count
    Run no_data;
    no_data.status = RunStatus::no_data;
    result.runs.resize(job.hotspots.size(), no_data);
    result.done = true;
    return result;
  }
  if (job.weight_kind != WeightKind::occurrences_per_year && !(rec.simulation_length > 0.0)) {
    return bad_input(lc.path.string() + ": the record spans no time (simulation length " +
                     std::to_string(rec.simulation_length) +
                     "), so it cannot be weighed into the year" + about(lc));
  }
  auto runs = assess_hotspots(job, lc, read.value(), work);
  if (!runs) return textio::fail(runs.error());
  result.runs = std::move(runs).value();
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
  const ReadHow how{workers == 1, options.fingerprints};
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  const auto work = [&] {
    std::vector<float> scratch;
    while (!stop.load()) {
      const std::size_t i = next.fetch_add(1);
      if (i >= which.size()) return;
      const std::size_t c = which[i];
      // A worker's failure (memory running out on a huge record) ends the
      // run with its message like any failed case, never the process.
      auto r = [&]() -> Outcome<CaseResult> {
        try {
          return compute_case(job, job.load_cases[c], scratch, how);
        } catch (const std::bad_alloc&) {
          return textio::fail(
              BatchError{kExitFailed, "load case '" + job.load_cases[c].name + "': out of memory"});
        } catch (const std::exception& e) {
          return textio::fail(
              BatchError{kExitFailed, "load case '" + job.load_cases[c].name + "': " + e.what()});
        }
      }();
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
