// The job's options for cycle-level results, from the job file through
// job_json (what summary.json and shard.json hold) and view_of (what merge
// and the writers read back). The values expected are those the job text
// says, written out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "batch/job.hpp"
#include "batch/job_json.hpp"
#include "damage/damage.hpp"
#include "sncurve/catalogue.hpp"
#include "sncurve/record.hpp"
#include "support/temp_dir.hpp"

namespace skaldur {
namespace {

using batch::DamageSettings;
using batch::DelRequest;
using batch::OutputRequest;
using cycles::MatrixKind;
using damage::DamageMethod;
using damage::MeanStressMethod;
using testing::read_file;
using testing::TempDir;

// The damage of one cycle of range s on a working record, as the core
// evaluates it.
double life_damage(const sncurve::Record& record, double s) {
  const sncurve::RecordView view(record);
  const auto segments =
      std::span<const double>(record).subspan(static_cast<std::size_t>(view.seg_start() - 1));
  return damage::cyc2fail(s, segments, view.n_par_per_lin(), view.n_sn_lin());
}

// The record rebuilt from the json gives the lives and the thickness factor
// of the record it was written from: at ranges across every segment, and
// just above and below each break.
void expect_same_curve(const sncurve::Record& original, const sncurve::Record& rebuilt) {
  std::vector<double> ranges = {0.0, 0.5, 3.0, 10.0, 30.0, 100.0, 333.0, 1000.0, 1.0e4};
  for (int j = 1; j <= sncurve::RecordView(original).n_sn_lin(); ++j) {
    const auto segment = sncurve::RecordView(original).segment(j);
    const double s_break = segment ? sncurve::break_range(*segment) : 0.0;
    ranges.insert(ranges.end(), {s_break, std::nextafter(s_break, 0.0), s_break * 1.0001});
  }
  for (const double s : ranges)
    EXPECT_EQ(life_damage(rebuilt, s), life_damage(original, s)) << "range " << s;
  std::ostringstream none;
  for (const double thickness : {0.0, 12.0, 45.0}) {
    EXPECT_EQ(damage::DMG02A(rebuilt, {thickness, 1.0}, none),
              damage::DMG02A(original, {thickness, 1.0}, none))
        << "thickness " << thickness;
  }
}

struct OptionsCase {
  const char* job;      // top-level keys
  const char* hotspot;  // keys of hotspot h1; h2 takes the job's settings
  cycles::Conventions conventions;
  DamageSettings job_settings;
  DamageSettings h1;
  OutputRequest outputs;
};

TEST(JobOptions, ReadAsWrittenAndReadBackFromTheJobJson) {
  const DamageSettings defaults;
  const DamageSettings dnv{DamageMethod::exact, {MeanStressMethod::dnv, 0.8, 0.0}, 12.5};
  const DamageSettings goodman{DamageMethod::exact, {MeanStressMethod::goodman, 0.6, 500.0}, 0.0};
  const std::vector<OptionsCase> cases = {
      {"", "", {}, defaults, defaults, {}},
      {"ends = \"keep\"\nresidue = \"repeated\"\ndamage = \"exact\"\n"
       "mean_stress = { method = \"dnv\", p = 0.8 }\nstatic_stress = 12.5\n"
       "[outputs]\nmatrix = { kind = \"range-mean\", range_bin = 2.0, mean_bin = 5.0 }\n"
       "del = { m = [3, 4, 5.5], f_eq = 0.5 }\nequivalent_range = {}\n",
       "",
       {cycles::Ends::keep, cycles::Residue::repeated},
       dnv,
       dnv,
       {cycles::MatrixSpec{MatrixKind::range_mean, 2.0, 5.0}, DelRequest{{3.0, 4.0, 5.5}, 0.5, {}},
        1.0e7}},
      // The hotspot overrides all three; from-to takes one bin for both points.
      {"damage = \"exact\"\nmean_stress = { method = \"goodman\", ultimate = 500 }\n"
       "outputs = { matrix = { kind = \"from-to\", bin = 2.5 }, del = { m = [3], n_eq = 1e6 },"
       " equivalent_range = { n_eq = 2e6 } }\n",
       "damage = \"blocks\"\nmean_stress = { method = \"none\" }\nstatic_stress = -3\n",
       {},
       goodman,
       {DamageMethod::blocks, {}, -3.0},
       {cycles::MatrixSpec{MatrixKind::from_to, 2.5, 2.5}, DelRequest{{3.0}, 1.0, 1.0e6}, 2.0e6}},
      // del without f_eq or n_eq: f_eq 1 Hz.
      {"residue = \"repeated\"\n[outputs]\nmatrix = { kind = \"range\", range_bin = 4 }\n"
       "del = { m = [4] }\n",
       "static_stress = 7.25\ndamage = \"exact\"\nmean_stress = { method = \"dnv\", p = 0 }\n",
       {cycles::Ends::drop, cycles::Residue::repeated},
       defaults,
       {DamageMethod::exact, {MeanStressMethod::dnv, 0.0, 0.0}, 7.25},
       {cycles::MatrixSpec{MatrixKind::range, 4.0, 1.0}, DelRequest{{4.0}, 1.0, {}}, {}}},
  };
  const auto catalogue = sncurve::builtin_catalogue();
  ASSERT_TRUE(catalogue.ok());
  for (const OptionsCase& c : cases) {
    SCOPED_TRACE(std::string(c.job) + " | " + c.hotspot);
    TempDir dir;
    dir.write("cases.csv", "name,file,probability\nc1,a.ts,1\n");
    dir.write("a.ts", "0 1\n1 5\n2 0\n3 4\n");
    dir.write("curve.sn", read_file(SKALDUR_SOURCE_DIR "/examples/class-d-seawater.sn"));
    dir.write("job.toml",
              std::string("design_life = 20.0\ndff = 2.0\nload_cases = \"cases.csv\"\n") + c.job +
                  "\n[[hotspot]]\nname = \"h1\"\ncolumn = 2\ncurve = 6\n" + c.hotspot +
                  "\n[[hotspot]]\nname = \"h2\"\ncolumn = 2\n" + "curve_file = \"curve.sn\"\n");
    std::vector<std::string> warnings;
    const auto job = batch::read_job(dir.file("job.toml"), *catalogue, warnings);
    ASSERT_TRUE(job.ok()) << job.error().message;
    EXPECT_EQ(job->conventions, c.conventions);
    EXPECT_EQ(job->settings, c.job_settings);
    EXPECT_EQ(job->outputs, c.outputs);
    EXPECT_EQ(job->hotspots[0].settings, c.h1);
    EXPECT_EQ(job->hotspots[1].settings, c.job_settings);

    // Through the text summary.json holds, as merge reads it.
    const auto text = batch::json_text(batch::job_json(*job), 2);
    const auto view = batch::view_of(batch::Json::parse(text));
    ASSERT_TRUE(view.ok()) << view.error().message;
    EXPECT_EQ(view->conventions, c.conventions);
    EXPECT_EQ(view->outputs, c.outputs);
    ASSERT_EQ(view->hotspots.size(), 2u);
    EXPECT_EQ(view->hotspots[0].settings, c.h1);
    EXPECT_EQ(view->hotspots[1].settings, c.job_settings);
    for (std::size_t h = 0; h < 2; ++h)
      expect_same_curve(job->hotspots[h].curve.record, view->hotspots[h].curve_record);
  }
}

// Every catalogue curve survives the json: the lives and thickness factor
// of the rebuilt record are the catalogue record's.
TEST(JobOptions, EveryCatalogueCurveIsRebuiltFromTheJson) {
  const auto catalogue = sncurve::builtin_catalogue();
  ASSERT_TRUE(catalogue.ok());
  batch::Job job;
  for (int n = 1; n <= catalogue->count; ++n) {
    batch::Hotspot h;
    h.name = "h" + std::to_string(n);
    h.column.number = 2;
    h.curve.number = n;
    ASSERT_TRUE(sncurve::copy_curve(*catalogue, n, h.curve.record).ok());
    job.hotspots.push_back(h);
  }
  const auto view = batch::view_of(batch::job_json(job));
  ASSERT_TRUE(view.ok()) << view.error().message;
  for (std::size_t h = 0; h < job.hotspots.size(); ++h) {
    SCOPED_TRACE(job.hotspots[h].name);
    expect_same_curve(job.hotspots[h].curve.record, view->hotspots[h].curve_record);
  }
}

// A job json without one of the options, or with a name no option has, is
// refused: merge must not run shards by conventions they were not computed with.
TEST(JobOptions, AJobJsonMissingAnOptionIsRefused) {
  batch::Job job;
  job.settings.method = DamageMethod::exact;
  job.settings.mean_stress = {MeanStressMethod::goodman, 0.6, 400.0};
  job.outputs.matrix = cycles::MatrixSpec{MatrixKind::range_mean, 1.0, 2.0};
  job.outputs.del = DelRequest{{3.0}, 1.0, {}};
  batch::Hotspot h;
  h.name = "h1";
  h.column.number = 2;
  h.settings = job.settings;
  job.hotspots.push_back(h);
  const batch::Json whole = batch::job_json(job);
  ASSERT_TRUE(batch::view_of(whole).ok());
  struct Change {
    const char* pointer;
    std::optional<batch::Json> value;  // nothing: the key is removed
    const char* said;
  };
  const std::vector<Change> changes = {
      {"/ends", {}, "incomplete"},
      {"/outputs", {}, "incomplete"},
      {"/outputs/matrix/mean_bin", {}, "incomplete"},
      {"/outputs/del/f_eq", {}, "incomplete"},
      {"/hotspots/0/damage", {}, "incomplete"},
      {"/hotspots/0/mean_stress/ultimate", {}, "incomplete"},
      {"/hotspots/0/curve/segments", {}, "incomplete"},
      {"/ends", "held", "unknown ends 'held'"},
      {"/hotspots/0/mean_stress/method", "walker", "unknown method 'walker'"},
      {"/outputs/matrix/kind", "rainflow", "unknown kind 'rainflow'"},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.pointer);
    batch::Json changed = whole;
    const batch::Json::json_pointer at(c.pointer);
    if (c.value) {
      changed[at] = *c.value;
    } else {
      changed[at.parent_pointer()].erase(at.back());
    }
    const auto view = batch::view_of(changed);
    ASSERT_FALSE(view.ok());
    EXPECT_EQ(view.error().status, batch::kExitBadInput);
    EXPECT_NE(view.error().message.find(c.said), std::string::npos) << view.error().message;
  }
}

}  // namespace
}  // namespace skaldur
