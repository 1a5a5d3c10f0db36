// skaldur-batch end to end on random jobs, checked against a direct
// computation: the test writes every series itself, applies the time window
// by the dialogue's rule, hands the floats to damage::assess and weighs and
// sums the results by the formulas of the job, independently of the
// program's own code.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "batch/job.hpp"
#include "damage/assess.hpp"
#include "run_batch.hpp"
#include "sncurve/catalogue.hpp"
#include "sncurve/definition.hpp"
#include "support/temp_dir.hpp"
#include "textio/lines.hpp"

namespace skaldur {
namespace {

using testing::number;
using testing::Outcome;
using testing::read_csv;
using testing::read_file;
using testing::run_batch;
using testing::Table;
using testing::TempDir;

// One generated series file and what the reading of it must give.
struct Series {
  std::vector<double> times;
  std::vector<std::vector<float>> columns;  // stress columns 2, 3, ...
};

struct Case {
  std::size_t series = 0;
  double weight = 0.0, first_time = 0.0, last_time = 1.0e30;
};

struct Hot {
  int column = 2;
  sncurve::Record record{};
  double scf = 1.0, thickness = 0.0, dff = 1.0;
  int blocks = 500;
};

struct RandomJob {
  batch::WeightKind kind = batch::WeightKind::probability;
  bool mpa = true;
  double design_life = 20.0;
  std::vector<Series> series;
  std::vector<Case> cases;
  std::vector<Hot> hots;
};

const char* const kNames[] = {"time", "sa", "sb", "sc", "sd"};

// The text of `value` in the job's files; `value` becomes what it reads as.
std::string written(double& value) {
  const std::string text = std::to_string(value);
  value = number(text);
  return text;
}

RandomJob make_job(std::mt19937_64& rng, const TempDir& dir, const sncurve::Catalogue& catalogue) {
  const auto uniform = [&](double a, double b) {
    return std::uniform_real_distribution<double>(a, b)(rng);
  };
  const auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  RandomJob job;
  job.kind = static_cast<batch::WeightKind>(pick(0, 2));
  job.mpa = pick(0, 1) == 1;
  job.design_life = uniform(5.0, 40.0);
  const auto columns = static_cast<std::size_t>(pick(2, 4));
  bool all_named = true;
  for (int f = pick(1, 3); f > 0; --f) {
    Series s{{}, std::vector<std::vector<float>>(columns)};
    std::string text = "# generated\n";
    if (pick(0, 3) > 0) {
      for (std::size_t c = 0; c <= columns; ++c)
        text += (c == 0 ? "# " : " ") + std::string(kNames[c]) + (c == columns ? "\n" : "");
    } else {
      all_named = false;
    }
    std::vector<double> level(columns, 0.0);
    const auto dead = static_cast<std::size_t>(pick(0, 2 * static_cast<int>(columns)));
    for (int i = 0, lines = pick(3, 1500); i < lines; ++i) {
      s.times.push_back(0.5 * i);
      text += std::to_string(0.5 * i);
      for (std::size_t c = 0; c < columns; ++c) {
        if (c != dead) level[c] += uniform(-30.0, 30.0);
        s.columns[c].push_back(static_cast<float>(level[c] * (job.mpa ? 1.0 : 1.0e6)));
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, " %.9g", static_cast<double>(s.columns[c].back()));
        text += buffer;
      }
      text += "\n";
    }
    dir.write("s" + std::to_string(job.series.size()) + ".ts", text);
    job.series.push_back(std::move(s));
  }

  const int n_cases = pick(2, 7);
  std::string table =
      "name,file," + std::string(batch::weight_column(job.kind)) + ",first_time,last_time\n";
  for (int c = 0; c < n_cases; ++c) {
    Case lc;
    lc.series = static_cast<std::size_t>(pick(0, static_cast<int>(job.series.size()) - 1));
    lc.weight = job.kind == batch::WeightKind::probability ? 1.0 / n_cases : uniform(0.0, 500.0);
    std::string window = ",";
    const double end = job.series[lc.series].times.back();
    if (pick(0, 2) == 0 && end > 20.0) {
      lc.first_time = std::floor(uniform(0.0, end / 3));
      lc.last_time = std::floor(uniform(end / 2, end + 5.0)) + 0.25;
      window = std::to_string(lc.first_time) + "," + std::to_string(lc.last_time);
    } else if (pick(0, 5) == 0) {  // a window after the record's end
      lc.first_time = end + 1.0;
      window = std::to_string(lc.first_time) + ",";
    }
    char weight[40];
    std::snprintf(weight, sizeof weight, "%.17g", lc.weight);
    table += "case" + std::to_string(c) + ",s" + std::to_string(lc.series) + ".ts," + weight + "," +
             window + "\n";
    job.cases.push_back(lc);
  }
  dir.write("cases.csv", table);

  std::string toml = "design_life = " + written(job.design_life) + "\ndff = 2.5\n" +
                     "load_cases = \"cases.csv\"\nunit = \"" + (job.mpa ? "MPa" : "Pa") + "\"\n";
  dir.write("curve.sn", read_file(SKALDUR_SOURCE_DIR "/examples/class-d-seawater.sn"));
  for (int h = pick(1, 4); h > 0; --h) {
    Hot hot;
    hot.column = pick(2, static_cast<int>(columns) + 1);
    hot.scf = pick(0, 1) ? 1.0 : uniform(0.5, 2.5);
    hot.thickness = pick(0, 1) ? 0.0 : uniform(10.0, 60.0);
    hot.dff = pick(0, 1) ? 2.5 : uniform(1.0, 10.0);
    hot.blocks = std::array{0, 7, 100, 500, 800}[static_cast<std::size_t>(pick(0, 4))];
    const int way = pick(0, 2), n = pick(1, catalogue.count);
    std::string curve = "curve_file = \"curve.sn\"";
    if (way == 2) {
      textio::LineReader lines(::open(dir.file("curve.sn").c_str(), O_RDONLY));
      EXPECT_TRUE(sncurve::read_definition(lines, hot.record).ok());
      ::close(lines.descriptor());
    } else {
      static_cast<void>(sncurve::copy_curve(catalogue, n, hot.record).value());
      std::string name = sncurve::display_name(catalogue, n).value();
      for (char& ch : name)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      curve = way == 0 ? "curve = " + std::to_string(n) : "curve = \"" + name + "\"";
    }
    const bool by_name = all_named && pick(0, 1) == 1;
    toml +=
        "\n[[hotspot]]\nname = \"h" + std::to_string(job.hots.size()) + "\"\ncolumn = " +
        (by_name ? "\"" + std::string(kNames[hot.column - 1]) + "\"" : std::to_string(hot.column)) +
        "\n" + curve + "\nscf = " + written(hot.scf) + "\nthickness = " + written(hot.thickness) +
        "\ndff = " + written(hot.dff) + "\nblocks = " + std::to_string(hot.blocks) + "\n";
    job.hots.push_back(hot);
  }
  dir.write("job.toml", toml);
  return job;
}

// The accepted values of a column and the simulation length, by the
// dialogue's rule: lines before first_time are skipped, the first line after
// last_time ends the reading, and the length runs from the first accepted
// line to the last line read.
struct Window {
  std::vector<float> values;
  double length = 0.0;
};
Window apply(const Series& s, const Case& c, int column) {
  Window w;
  double start = 0.0;
  double last = 0.0;
  bool started = false;
  for (std::size_t i = 0; i < s.times.size(); ++i) {
    last = s.times[i];
    if (last < c.first_time) continue;
    if (last > c.last_time) break;
    if (!started) start = last;
    started = true;
    w.values.push_back(s.columns[static_cast<std::size_t>(column - 2)][i]);
  }
  w.length = last - start;
  return w;
}

TEST(SkaldurBatch, RandomJobsMatchTheCoreAndTheFormulasWhateverTheJobsAndShards) {
  sncurve::Catalogue catalogue;
  std::ostream none(nullptr);
  ASSERT_EQ(sncurve::SNCATLG(catalogue, none), 0);
  std::mt19937_64 rng(20261206);
  for (int trial = 0; trial < 6; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    TempDir dir;
    const RandomJob job = make_job(rng, dir, catalogue);
    const Outcome whole = run_batch(dir, "run job.toml --out whole --jobs 1");
    ASSERT_EQ(whole.status, 0) << whole.err;

    const Table damage = read_csv(dir.file("whole/damage.csv"));
    const Table summary = read_csv(dir.file("whole/summary.csv"));
    const Table histograms = read_csv(dir.file("whole/histograms.csv"));
    ASSERT_EQ(damage.size(), 1 + job.hots.size() * job.cases.size());
    ASSERT_EQ(summary.size(), 1 + job.hots.size());
    std::size_t row = 1;
    std::map<std::pair<std::string, std::string>, double> weights;
    std::vector<std::tuple<std::string, std::string, double, double>> blocks;  // with cycles only
    bool all_good = true;  // every run ok and every hotspot passes
    for (std::size_t h = 0; h < job.hots.size(); ++h) {
      const Hot& hot = job.hots[h];
      double per_year = 0.0;
      double largest = 0.0;
      int governing = -1;
      for (std::size_t c = 0; c < job.cases.size(); ++c, ++row) {
        const Case& lc = job.cases[c];
        const Window w = apply(job.series[lc.series], lc, hot.column);
        const auto expected = damage::assess(w.values, hot.record, {hot.thickness, hot.scf},
                                             {job.mpa ? 1.0 : 1.0e-6, hot.blocks});
        const auto& r = damage[row];
        ASSERT_EQ(r.size(), 10u);
        EXPECT_EQ(r[0], "h" + std::to_string(h));
        EXPECT_EQ(r[1], "case" + std::to_string(c));
        EXPECT_EQ(number(r[3]), static_cast<double>(w.values.size()));
        EXPECT_EQ(number(r[4]), w.length);
        const double d = expected ? expected->damage : 0.0;
        EXPECT_EQ(number(r[6]), d) << "hotspot " << h << " case " << c;
        const std::string status = w.values.size() < 2         ? "no_data"
                                   : !expected                 ? "too_short"
                                   : expected->bloc_len == 0.0 ? "no_swing"
                                                               : "ok";
        EXPECT_EQ(r[9], status);
        all_good = all_good && status == "ok";
        for (std::size_t k = 0; expected && k < expected->hist.size(); ++k) {
          if (expected->hist[k] > 0.0f)
            blocks.emplace_back(r[0], r[1], static_cast<double>(k + 1), double{expected->hist[k]});
        }
        constexpr double kYear = 31'536'000.0;
        const double weight =
            job.kind == batch::WeightKind::probability      ? lc.weight * kYear / w.length
            : job.kind == batch::WeightKind::hours_per_year ? 3600.0 * lc.weight / w.length
                                                            : lc.weight;
        EXPECT_EQ(number(r[7]), weight);
        EXPECT_EQ(number(r[8]), weight * d);
        weights[{r[0], r[1]}] = weight;
        per_year += weight * d;
        if (weight * d > largest) {
          largest = weight * d;
          governing = static_cast<int>(c);
        }
      }
      const auto& s = summary[h + 1];
      EXPECT_EQ(number(s[4]), damage::DMG02A(hot.record, {hot.thickness, hot.scf}, none).value());
      EXPECT_EQ(number(s[6]), per_year);
      EXPECT_EQ(number(s[7]),
                per_year > 0.0 ? 1.0 / per_year : std::numeric_limits<double>::infinity());
      const double u = per_year * job.design_life * hot.dff;
      EXPECT_EQ(number(s[8]), u);
      EXPECT_EQ(s[9], u <= 1.0 ? "pass" : "fail");
      all_good = all_good && u <= 1.0;
      EXPECT_EQ(s[10], governing >= 0 ? "case" + std::to_string(governing) : "");
      EXPECT_EQ(number(s[11]), governing >= 0 ? largest / per_year : 0.0);
    }
    ASSERT_EQ(histograms.size(), 1 + blocks.size());
    for (std::size_t i = 1; i < histograms.size(); ++i) {
      const auto& r = histograms[i];
      EXPECT_EQ(std::tuple(r[0], r[1], number(r[2]), number(r[5])), blocks[i - 1]);
      EXPECT_EQ(number(r[6]), number(r[5]) * weights.at({r[0], r[1]}));
    }

    // Two workers, and three shards merged, give the same bytes.
    ASSERT_EQ(run_batch(dir, "run job.toml --out two --jobs 2").status, 0);
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
      ASSERT_EQ(run_batch(dir, std::string("run job.toml --jobs 2 --shard ") + shard +
                                   " --out shard" + shard[0])
                    .status,
                0);
    }
    const Outcome merged = run_batch(dir, "merge shard3 shard1 shard2 --out merged --check");
    ASSERT_EQ(merged.status, all_good ? 0 : 3) << merged.err;
    const Outcome twice = run_batch(dir, "merge shard1 shard1 shard2 --out twice");
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.err.find("shard 1 is given twice"), std::string::npos) << twice.err;
    for (const char* name : {"summary.csv", "damage.csv", "histograms.csv", "summary.json"}) {
      const std::string expected = read_file(dir.file(std::string("whole/") + name));
      EXPECT_EQ(read_file(dir.file(std::string("two/") + name)), expected) << name;
      EXPECT_EQ(read_file(dir.file(std::string("merged/") + name)), expected) << name;
    }
    // A shard of another site, the same file names but another record (one
    // that shard 1 computes, shard 2 only fingerprints), is refused by name.
    const std::string record = read_csv(dir.file("cases.csv"))[1][1];
    dir.write(record, read_file(dir.file(record)) + "# another site\n");
    ASSERT_EQ(run_batch(dir, "run job.toml --shard 2/3 --out site2").status, 0);
    const Outcome mixed = run_batch(dir, "merge shard1 site2 shard3 --out mixed");
    EXPECT_EQ(mixed.status, 2);
    EXPECT_NE(mixed.err.find(": " + record + " is not the file"), std::string::npos) << mixed.err;
  }
}

}  // namespace
}  // namespace skaldur
