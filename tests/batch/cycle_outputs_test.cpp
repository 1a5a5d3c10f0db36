// matrix.csv, del.csv and the equivalent-range column, written from
// hand-built job views and results, and the matrix and DEL sums carried
// through shard.json.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "batch/csv_fields.hpp"
#include "batch/outputs.hpp"
#include "batch/shard_json.hpp"
#include "damage/curve_life.hpp"
#include "damage/equivalent_load.hpp"
#include "sncurve/catalogue.hpp"
#include "support/temp_dir.hpp"

namespace skaldur::batch {
namespace {

using cycles::MatrixCell;
using cycles::MatrixKind;

// Two hotspots over two load cases. The probabilities 3/16 and 13/16 and the
// records of Y / 16 and Y / 8 seconds (Y = 31 536 000) weigh the cases 3 and
// 6.5 times into the year. With f_eq = 0.5 Hz the cases' n_eq are 985 500 and
// 1 971 000, the year's 15 768 000, and the sums are chosen so that every
// DEL of h1 comes out whole or half:
//   case: (sum / n_eq)^(1/m)      year: (3 sum1 + 6.5 sum2) / 15 768 000
//   h1, m = 2: 16 and 4 -> 4, 2   3 x 15 768 000 + 6.5 x 7 884 000 -> 6.25 -> 2.5
//   h1, m = 4: 81 and 1 -> 3, 1   3 x 79 825 500 + 6.5 x 1 971 000 -> 16 -> 2
// h2's second run is too short: no cells, no sums.
struct TwoByTwo {
  JobView view;
  std::vector<CaseResult> cases;
};

TwoByTwo two_by_two() {
  TwoByTwo t;
  t.view.weight_kind = WeightKind::probability;
  t.view.outputs.matrix = cycles::MatrixSpec{MatrixKind::range_mean, 10.0, 5.0};
  t.view.outputs.del = DelRequest{{2.0, 4.0}, 0.5, std::nullopt};
  t.view.hotspots.resize(2);
  t.view.hotspots[0].name = "h1";
  t.view.hotspots[1].name = "h2";
  t.view.cases = {{"c1", "a.ts", 0.1875}, {"c2", "b.ts", 0.8125}};
  t.cases.resize(2);
  t.cases[0].simulation_length = 1'971'000.0;
  t.cases[1].simulation_length = 3'942'000.0;
  for (CaseResult& c : t.cases) {
    c.done = true;
    c.runs.resize(2);
  }
  t.cases[0].runs[0].matrix = {{0, -1, 2.0}, {0, 2, 0.5}, {3, 0, 1.0}};
  t.cases[0].runs[0].del_sums = {15'768'000.0, 79'825'500.0};
  t.cases[1].runs[0].matrix = {{0, 2, 4.0}, {1, 0, 1.5}};
  t.cases[1].runs[0].del_sums = {7'884'000.0, 1'971'000.0};
  t.cases[0].runs[1].matrix = {{2, 1, 1.0}};
  t.cases[0].runs[1].del_sums = {985'500.0, 15'768'000.0};
  t.cases[1].runs[1].status = RunStatus::too_short;
  return t;
}

TEST(MatrixCsv, EachCaseThenTheYearAddedCellByCellWithTheWeights) {
  const TwoByTwo t = two_by_two();
  EXPECT_EQ(matrix_csv(t.view, t.cases),
            "hotspot,load_case,range_low,range_high,mean_low,mean_high,cycles,cycles_per_year\n"
            "h1,c1,0,10,-5,0,2,6\n"
            "h1,c1,0,10,10,15,0.5,1.5\n"
            "h1,c1,30,40,0,5,1,3\n"
            "h1,c2,0,10,10,15,4,26\n"
            "h1,c2,10,20,0,5,1.5,9.75\n"
            "h1,year,0,10,-5,0,2,6\n"
            "h1,year,0,10,10,15,4.5,27.5\n"
            "h1,year,10,20,0,5,1.5,9.75\n"
            "h1,year,30,40,0,5,1,3\n"
            "h2,c1,20,30,5,10,1,3\n"
            "h2,year,20,30,5,10,1,3\n");
}

TEST(MatrixCsv, EachKindNamesItsEdgesAndARangeMatrixShowsOnlyRanges) {
  const std::pair<MatrixKind, const char*> rows[] = {
      {MatrixKind::from_to,
       "hotspot,load_case,from_low,from_high,to_low,to_high,cycles,cycles_per_year\n"
       "h1,c1,0,10,-5,0,2,6\n"},
      {MatrixKind::range,
       "hotspot,load_case,range_low,range_high,cycles,cycles_per_year\nh1,c1,0,10,2,6\n"},
  };
  for (const auto& [kind, start] : rows) {
    TwoByTwo t = two_by_two();
    t.view.outputs.matrix->kind = kind;
    EXPECT_TRUE(matrix_csv(t.view, t.cases).starts_with(start)) << start;
  }
}

TEST(DelCsv, EachCaseByItsRecordsLengthThenTheYearFromTheWeighedSums) {
  const TwoByTwo t = two_by_two();
  std::string h2_year;  // (3 x h2's sum of case 1 / 15 768 000)^(1/m)
  for (std::size_t i = 0; i < 2; ++i) {
    const double m = i == 0 ? 2.0 : 4.0;
    h2_year += "h2,year," + std::to_string(2 * i + 2) + ",15768000,";
    append_number(h2_year, damage::damage_equivalent_range(3.0 * t.cases[0].runs[1].del_sums[i], m,
                                                           15'768'000.0));
    h2_year += '\n';
  }
  EXPECT_EQ(del_csv(t.view, t.cases),
            "hotspot,load_case,m,n_eq,del\n"
            "h1,c1,2,985500,4\nh1,c1,4,985500,3\n"
            "h1,c2,2,1971000,2\nh1,c2,4,1971000,1\n"
            "h1,year,2,15768000,2.5\nh1,year,4,15768000,2\n"
            "h2,c1,2,985500,1\nh2,c1,4,985500,2\n"
            "h2,c2,2,1971000,0\nh2,c2,4,1971000,0\n" +
                h2_year);
}

// A record that spans no time has no n_eq by its length and no DEL; a fixed
// n_eq holds for every case and for the year.
TEST(DelCsv, AFixedNeqOrARecordSpanningNoTime) {
  JobView view;
  view.weight_kind = WeightKind::hours_per_year;
  view.hotspots.resize(1);
  view.hotspots[0].name = "h";
  view.cases = {{"empty", "e.ts", 10.0}, {"c", "a.ts", 2.0}};
  std::vector<CaseResult> cases(2);
  cases[0].runs.resize(1);
  cases[0].runs[0].status = RunStatus::no_data;
  cases[1].simulation_length = 3600.0;  // weighs 2
  cases[1].runs.resize(1);
  cases[1].runs[0].del_sums = {3200.0};
  view.outputs.del = DelRequest{{1.0}, 2.0, std::nullopt};
  EXPECT_EQ(del_csv(view, cases),
            "hotspot,load_case,m,n_eq,del\nh,empty,1,0,\nh,c,1,7200,0.4444444444444444\n"
            "h,year,1,63072000,0.00010147133434804668\n");
  view.outputs.del->n_eq = 800.0;
  EXPECT_EQ(del_csv(view, cases),
            "hotspot,load_case,m,n_eq,del\nh,empty,1,800,0\nh,c,1,800,4\nh,year,1,800,8\n");
}

// Each line of `text` split at its last comma: the lines without their last
// field, and those fields.
std::pair<std::string, std::vector<std::string>> last_fields(const std::string& text) {
  std::pair<std::string, std::vector<std::string>> split;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    split.first += line.substr(0, line.rfind(',')) + '\n';
    split.second.push_back(line.substr(line.rfind(',') + 1));
  }
  return split;
}

// S_eq is the hot-spot range before the thickness factor: N_eq cycles of
// S_eq x the factor give the damage on the curve (the year's in summary.csv,
// each run's in damage.csv), in one more column; without the request
// neither file changes.
TEST(EquivalentRange, OneMoreColumnWhoseRangeGivesTheDamageBack) {
  const auto catalogue = sncurve::builtin_catalogue();
  ASSERT_TRUE(catalogue);
  TwoByTwo t = two_by_two();
  t.view.outputs = OutputRequest{};
  for (std::size_t h = 0; h < 2; ++h) {
    ASSERT_TRUE(sncurve::copy_curve(*catalogue, h == 0 ? 6 : 30, t.view.hotspots[h].curve_record));
  }
  t.view.hotspots[1].thickness_factor = 1.25;
  const double damages[2][2] = {{3.0e-4, 1.0e-7}, {0.02, 0.0}};  // [hotspot][case]
  for (std::size_t c = 0; c < 2; ++c) {
    for (std::size_t h = 0; h < 2; ++h)
      t.cases[c].runs[h].damage = damages[h][c];
  }
  const auto summaries = summarise(t.view, t.cases);
  const std::string summary = summary_csv(t.view, summaries);
  const std::string damage = damage_csv(t.view, t.cases);
  EXPECT_EQ(summary.substr(0, summary.find('\n')),
            "hotspot,curve,scf,thickness,thickness_factor,dff,damage_per_year,life_years,"
            "utilisation,verdict,governing_load_case,governing_share");
  EXPECT_EQ(damage.substr(0, damage.find('\n')),
            "hotspot,load_case,file,steps,simulation_length,cycles,damage,weight,"
            "damage_per_year,status");

  t.view.outputs.equivalent_range = 2.0e6;
  const auto [summary_rest, year] = last_fields(summary_csv(t.view, summaries));
  const auto [damage_rest, runs] = last_fields(damage_csv(t.view, t.cases));
  EXPECT_EQ(summary_rest, summary);
  EXPECT_EQ(damage_rest, damage);
  ASSERT_EQ(year.size(), 3u);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(year[0] + runs[0], "equivalent_rangeequivalent_range");
  const auto gives = [&](std::size_t h, const std::string& field, double d) {
    const damage::CurveLife life(t.view.hotspots[h].curve_record);
    const double s = std::strtod(field.c_str(), nullptr) * t.view.hotspots[h].thickness_factor;
    if (d == 0.0) return field == "0";
    return std::fabs(life.damage(s) * 2.0e6 / d - 1.0) < 1e-12;
  };
  for (std::size_t h = 0; h < 2; ++h) {
    EXPECT_TRUE(gives(h, year[h + 1], summaries[h].damage_per_year)) << year[h + 1];
    for (std::size_t c = 0; c < 2; ++c)
      EXPECT_TRUE(gives(h, runs[1 + 2 * h + c], damages[h][c])) << runs[1 + 2 * h + c];
  }
}

std::set<std::string> names_in(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.insert(e.path().filename().string());
  return names;
}

// write_outputs writes the files output_files names (which the run keeps
// from replacing its inputs), and leaves a file it was not asked for as it
// was.
TEST(WriteOutputs, WritesTheFilesItListsAndLeavesOthers) {
  const TwoByTwo asked = two_by_two();
  for (const bool matrix : {false, true}) {
    for (const bool del : {false, true}) {
      testing::TempDir dir;
      dir.write("del.csv", "an earlier run's");
      JobView view = asked.view;
      if (!matrix) view.outputs.matrix.reset();
      if (!del) view.outputs.del.reset();
      ASSERT_FALSE(write_outputs(dir.path(), Json::object(), view, asked.cases,
                                 summarise(view, asked.cases)));
      std::set<std::string> expected = {"summary.csv", "damage.csv", "histograms.csv",
                                        "summary.json"};
      if (matrix) expected.insert("matrix.csv");
      if (del) expected.insert("del.csv");
      const auto files = output_files(view.outputs);
      EXPECT_EQ(std::set<std::string>(files.begin(), files.end()), expected);
      expected.insert("del.csv");
      EXPECT_EQ(names_in(dir.path()), expected);
      EXPECT_EQ(testing::read_file(dir.file("del.csv")),
                del ? del_csv(view, asked.cases) : "an earlier run's");
    }
  }
}

// The job of the shards: its table and hotspots, as read_shards sizes them.
Json shard_job() {
  const Json table =
      Json::array({Json{{"name", "c1"}, {"file", "a.ts"}}, Json{{"name", "c2"}, {"file", "b.ts"}}});
  return Json{{"load_case_table", table},
              {"hotspots", Json::array({Json::object(), Json::object()})}};
}

// Writes shard K of N holding the cases `held` of `cases`.
void write(const testing::TempDir& dir, int k, int n, std::vector<CaseResult> cases,
           const std::vector<bool>& held) {
  for (std::size_t c = 0; c < cases.size(); ++c)
    cases[c].done = held[c];
  const std::vector<InputFile> files;
  const std::vector<std::uint64_t> records = {1, 2};
  ASSERT_FALSE(write_shard(dir.path(), k, n, shard_job(), {files, records}, cases));
}

// Two shards of the two-by-two job, with values whose shortest forms are
// long, tiny or huge and a sum beyond the doubles, merge into its matrix
// and DEL sums exactly, and so into its matrix.csv and del.csv byte for
// byte.
TEST(ShardJson, MatrixAndDelSumsComeBackExactly) {
  TwoByTwo t = two_by_two();
  t.cases[0].runs[0].matrix.push_back({std::int64_t{1} << 52, -(std::int64_t{1} << 52), 0.1 + 0.2});
  t.cases[1].runs[0].del_sums = {1.0 / 3.0, 5e-324};
  t.cases[1].runs[1].del_sums = {1.7976931348623157e308, HUGE_VAL};  // S^m beyond the doubles
  testing::TempDir one;
  testing::TempDir two;
  write(one, 1, 2, t.cases, {true, false});
  write(two, 2, 2, t.cases, {false, true});
  const auto merged = read_shards({two.path(), one.path()});
  ASSERT_TRUE(merged) << merged.error().message;
  for (std::size_t c = 0; c < 2; ++c) {
    for (std::size_t h = 0; h < 2; ++h) {
      EXPECT_EQ(merged->cases[c].runs[h].matrix, t.cases[c].runs[h].matrix);
      EXPECT_EQ(merged->cases[c].runs[h].del_sums, t.cases[c].runs[h].del_sums);
    }
  }
  EXPECT_EQ(matrix_csv(t.view, merged->cases), matrix_csv(t.view, t.cases));
  EXPECT_EQ(del_csv(t.view, merged->cases), del_csv(t.view, t.cases));
}

TEST(ShardJson, AnOlderFormatOrACellOutOfPlaceIsRefused) {
  struct Row {
    const char* from;
    const char* to;
    const char* said;
  };
  const Row rows[] = {
      {"shard 3", "shard 2", "an older skaldur-batch, which this one cannot merge; run the shard"},
      {"[0,-1,2.0],[0,2,0.5]", "[0,2,0.5],[0,-1,2.0]",
       "load case 1: a matrix cell is out of place"},
      {"[0,-1,2.0],[0,2,0.5]", "[0,2,2.0],[0,2,0.5]", "a matrix cell is out of place"},
      {"[0,-1,2.0]", "[0,-1,0.0]", "a matrix cell is out of place"},
  };
  const TwoByTwo t = two_by_two();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.to);
    testing::TempDir dir;
    write(dir, 1, 1, t.cases, {true, true});
    std::string text = testing::read_file(dir.file("shard.json"));
    ASSERT_NE(text.find(row.from), std::string::npos) << text;
    text.replace(text.find(row.from), std::string_view(row.from).size(), row.to);
    dir.write("shard.json", text);
    const auto merged = read_shards({dir.path()});
    ASSERT_FALSE(merged);
    EXPECT_NE(merged.error().message.find(row.said), std::string::npos) << merged.error().message;
  }
}

}  // namespace
}  // namespace skaldur::batch
