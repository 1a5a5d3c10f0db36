#include "batch/cli.hpp"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <ostream>
#include <thread>

#include "batch/compute.hpp"
#include "batch/console_table.hpp"
#include "batch/explain.hpp"
#include "batch/input_files.hpp"
#include "batch/outputs.hpp"
#include "batch/record_fingerprints.hpp"
#include "batch/run_warnings.hpp"
#include "batch/shard_json.hpp"
#include "textio/text.hpp"

namespace skaldur::batch {
namespace {

struct RunArgs {
  std::string job_file;
  std::string out_dir;
  int jobs = 0;
  std::string shard;
  bool check = false;
  bool quiet = false;
  bool explain = false;
};

struct MergeArgs {
  std::vector<std::string> dirs;
  std::string out_dir;
  bool check = false;
  bool quiet = false;
};

// Messages quote names and the bytes of input files: every byte that is not
// printable ASCII is shown as '?', so that each message stays one plain line.
int report(std::ostream& err, const BatchError& e) {
  err << "skaldur-batch: " << textio::printable(e.message, e.message.size()) << '\n';
  return e.status;
}

void warn(std::ostream& err, const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings)
    err << "skaldur-batch: warning: " << textio::printable(w, w.size()) << '\n';
}

// "K/N" with 1 <= K <= N.
std::optional<std::pair<int, int>> parse_shard(std::string_view text) {
  int k = 0;
  int n = 0;
  const char* end = text.data() + text.size();
  auto r = std::from_chars(text.data(), end, k);
  if (r.ec != std::errc() || r.ptr == end || *r.ptr != '/') return std::nullopt;
  r = std::from_chars(r.ptr + 1, end, n);
  if (r.ec != std::errc() || r.ptr != end || k < 1 || k > n) return std::nullopt;
  return std::pair{k, n};
}

// Every file a run of the job reads: the job's inputs and each load case's record.
std::vector<InputFile> files_read(const Job& job) {
  std::vector<InputFile> files = job.inputs;
  for (const LoadCase& c : job.load_cases) {
    if (const auto identity = identity_of(c.path)) files.push_back({c.path.string(), *identity, 0});
  }
  return files;
}

// Sums, writes and shows the results of every load case. A damage that is
// not a finite number writes nothing. With `check`, status 3 when a hotspot
// fails or a run is not ok.
int finish(const Json& job, const std::vector<CaseResult>& cases, const std::filesystem::path& dir,
           bool check, bool quiet, std::ostream& out, std::ostream& err) {
  auto view = view_of(job);
  if (!view) return report(err, view.error());
  if (auto bad = first_non_finite(*view, cases)) return report(err, {kExitFailed, *bad});
  warn(err, run_warnings(*view, cases));
  const auto summaries = summarise(*view, cases);
  for (std::size_t h = 0; h < summaries.size(); ++h) {
    // Finite yearly damages whose sum is not finite: the hotspot is far
    // beyond its curve, and no life can be given for it.
    if (!std::isfinite(summaries[h].damage_per_year)) {
      return report(err, {kExitFailed, "the damage per year of hotspot '" + view->hotspots[h].name +
                                           "' is not a finite number"});
    }
  }
  if (auto e = write_outputs(dir, job, *view, cases, summaries)) return report(err, *e);
  if (!quiet) write_console_table(out, *view, summaries, dir);
  const bool all_pass = std::all_of(summaries.begin(), summaries.end(),
                                    [](const HotspotSummary& s) { return s.pass; });
  return check && !(all_pass && all_runs_ok(cases)) ? kExitCheckFailed : kExitOk;
}

int run_job(const RunArgs& args, std::ostream& out, std::ostream& err, bool err_is_terminal) {
  std::optional<std::pair<int, int>> shard;
  if (!args.shard.empty()) {
    shard = parse_shard(args.shard);
    if (!shard) {
      return report(err,
                    {kExitBadInput, "--shard " + args.shard + ": must be K/N with 1 <= K <= N"});
    }
  }
  const auto catalogue = sncurve::builtin_catalogue();
  if (!catalogue) {
    return report(err, {kExitFailed, "the built-in SN-curve catalogue could not be built"});
  }
  std::vector<std::string> warnings;
  auto job = read_job(args.job_file, *catalogue, warnings);
  if (!job) return report(err, job.error());
  warn(err, warnings);
  if (args.explain) write_explanation(out, *job);

  std::filesystem::path dir = args.out_dir;
  if (dir.empty()) {
    dir = job->path.parent_path() / (job->path.stem().string() + ".out");
    if (shard)
      dir /= "shard-" + std::to_string(shard->first) + "-of-" + std::to_string(shard->second);
  }
  const std::vector<std::string_view> outputs =
      shard ? std::vector<std::string_view>{kShardFile} : output_files(job->outputs);
  if (auto e = refuse_replacing_inputs(dir, outputs, files_read(*job))) return report(err, *e);
  std::vector<std::size_t> which;
  for (std::size_t c = 0; c < job->load_cases.size(); ++c) {
    if (!shard ||
        (c + 1) % static_cast<std::size_t>(shard->second) ==
            static_cast<std::size_t>(shard->first) % static_cast<std::size_t>(shard->second)) {
      which.push_back(c);
    }
  }
  ComputeOptions options;
  options.jobs = args.jobs > 0
                     ? args.jobs
                     : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  options.progress = err_is_terminal && !args.quiet;
  options.fingerprints = shard.has_value();
  auto cases = compute(*job, which, options, err);
  if (!cases) return report(err, cases.error());
  const Json job_as_read = job_json(*job);
  if (shard) {
    auto view = view_of(job_as_read);
    if (!view) return report(err, view.error());
    if (auto bad = first_non_finite(*view, *cases)) return report(err, {kExitFailed, *bad});
    warn(err, run_warnings(*view, *cases));
    const auto records = record_fingerprints(*job, *cases);
    if (!records) return report(err, records.error());
    const ShardInputs inputs{job->inputs, *records};
    if (auto e = write_shard(dir, shard->first, shard->second, job_as_read, inputs, *cases)) {
      return report(err, *e);
    }
    if (!args.quiet) {
      out << "shard " << shard->first << '/' << shard->second << ": " << which.size()
          << " load cases, results in " << dir.string() << '\n';
    }
    return args.check && !all_runs_ok(*cases) ? kExitCheckFailed : kExitOk;
  }
  return finish(job_as_read, *cases, dir, args.check, args.quiet, out, err);
}

int merge_shards(const MergeArgs& args, std::ostream& out, std::ostream& err) {
  std::vector<std::filesystem::path> dirs(args.dirs.begin(), args.dirs.end());
  auto merged = read_shards(dirs);
  if (!merged) return report(err, merged.error());
  const auto view = view_of(merged->job);
  if (!view) return report(err, view.error());
  std::vector<InputFile> shards;
  for (const std::filesystem::path& dir : dirs) {
    if (const auto identity = identity_of(dir / kShardFile))
      shards.push_back({(dir / kShardFile).string(), *identity, 0});
  }
  if (auto e = refuse_replacing_inputs(args.out_dir, output_files(view->outputs), shards))
    return report(err, *e);
  return finish(merged->job, merged->cases, args.out_dir, args.check, args.quiet, out, err);
}

int list_curves(std::ostream& out, std::ostream& err) {
  const auto catalogue = sncurve::builtin_catalogue();
  if (!catalogue) {
    err << "skaldur-batch: the built-in SN-curve catalogue could not be built\n";
    return kExitFailed;
  }
  std::string text;
  for (int n = 1; n <= catalogue->count; ++n) {
    const std::string number = std::to_string(n);
    text += std::string(3 - std::min<std::size_t>(3, number.size()), ' ') + number + "  " +
            std::string(textio::trimmed(sncurve::display_name(*catalogue, n).value())) + '\n';
  }
  out << text;
  return kExitOk;
}

// The first word that is not an option, when it names no subcommand. The
// program's own options (--help, --version) take no value, so that word is
// where the subcommand should be.
std::optional<std::string> unknown_subcommand(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word.starts_with('-')) continue;
    if (word == "run" || word == "merge" || word == "curves") return std::nullopt;
    return std::string(word);
  }
  return std::nullopt;
}

}  // namespace

int batch_main(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
               bool err_is_terminal) {
  CLI::App app{
      "skaldur-batch: fatigue damage per year of many hotspots over many weighted load cases,\n"
      "with life, utilisation against design life x DFF, and the governing load case."};
  app.name("skaldur-batch");
  app.set_version_flag("--version", std::string("skaldur-batch ") + SKALDUR_VERSION);
  app.require_subcommand(1);

  RunArgs run;
  CLI::App* run_cmd = app.add_subcommand("run", "Assess the job of JOB.toml");
  run_cmd->add_option("job", run.job_file, "The job file (TOML)")->required();
  run_cmd->add_option("--out", run.out_dir,
                      "Output folder (default JOBNAME.out/ beside the job file)");
  run_cmd
      ->add_option("--jobs", run.jobs,
                   "Files processed at the same time (default: the number of cores)")
      ->check(CLI::Validator(
          [](std::string& text) {
            int n = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
            const bool whole = r.ec == std::errc() && r.ptr == text.data() + text.size();
            return whole && n >= 1 ? std::string() : std::string("must be 1 or more");
          },
          std::string()));
  run_cmd->add_option("--shard", run.shard,
                      "Compute only load cases K, K+N, K+2N, ... (K from 1) into a shard folder");
  run_cmd->add_flag("--check", run.check,
                    "Exit with status 3 when a hotspot fails its design check or a run is not ok");
  run_cmd->add_flag("--quiet", run.quiet, "No table and no progress line");
  run_cmd->add_flag("--explain", run.explain,
                    "Before the run, print for each hotspot the stress it takes (columns, "
                    "factors and SCF) and its curve");

  MergeArgs merge;
  CLI::App* merge_cmd =
      app.add_subcommand("merge", "Combine shard folders into the outputs of the whole job");
  merge_cmd->add_option("dirs", merge.dirs, "The shard folders")->required();
  merge_cmd->add_option("--out", merge.out_dir, "Output folder")->required();
  merge_cmd->add_flag(
      "--check", merge.check,
      "Exit with status 3 when a hotspot fails its design check or a run is not ok");
  merge_cmd->add_flag("--quiet", merge.quiet, "No table");

  CLI::App* curves_cmd = app.add_subcommand("curves", "List the catalogue's SN curves");
  app.footer(
      "Exit status: 0 done, 1 computation or write failure, 2 bad input, 3 with --check when a\n"
      "hotspot fails its design check or a run is not ok.");

  if (auto word = unknown_subcommand(argc, argv)) {
    return report(err, {kExitBadInput, "'" + *word +
                                           "' is not a subcommand; the subcommands are run, "
                                           "merge and curves (see --help)"});
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? kExitOk : kExitBadInput;
  }
  if (run_cmd->parsed()) return run_job(run, out, err, err_is_terminal);
  if (merge_cmd->parsed()) return merge_shards(merge, out, err);
  if (curves_cmd->parsed()) return list_curves(out, err);
  return kExitOk;
}

}  // namespace skaldur::batch
