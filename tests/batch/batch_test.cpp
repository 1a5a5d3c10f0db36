// skaldur-batch on inputs it cannot use: a bad input must stop the run with
// status 2 and a message that names the place, and write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "run_batch.hpp"
#include "support/temp_dir.hpp"

namespace skaldur {
namespace {

using testing::Outcome;
using testing::read_file;
using testing::run_batch;
using testing::TempDir;

// A small valid job; each row changes one thing and names what the run must
// end with and say.
constexpr std::string_view kJob =
    "design_life = 20.0\n"
    "dff = 2.0\n"
    "load_cases = \"cases.csv\"\n"
    "unit = \"MPa\"\n"
    "\n"
    "[[hotspot]]\n"
    "name = \"h1\"\n"
    "column = \"b\"\n"
    "curve = 6\n";
constexpr std::string_view kTable = "name,file,probability\nc1,a.ts,0.5\nc2,a.ts,0.5\n";
constexpr std::string_view kSeries = "# t a b\n0 1 2\n1 90 70\n2 3 4\n3 80 95\n4 0 1\n5 60 50\n";

struct BadCase {
  const char* file;  // the file to change: job.toml, cases.csv or a.ts
  const char* from;
  const char* to;
  int status;
  std::vector<const char*> said;  // on standard error
  const char* args = "";
  const char* setup = "";  // a shell command run in the folder before the run
};

// The folder's entries but the console files, with the bytes of regular files.
std::map<std::string, std::string> entries(const TempDir& dir) {
  std::map<std::string, std::string> all;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (!name.starts_with("console.")) all[name] = e.is_regular_file() ? read_file(e.path()) : "";
  }
  return all;
}

// Runs the job `job`, the table and the record, each changed as a row says,
// and checks what the run ends with, says and leaves.
void expect_each(const std::vector<BadCase>& cases, std::string_view job) {
  for (const BadCase& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.to + c.args);
    TempDir dir;
    std::map<std::string, std::string> files = {{"job.toml", std::string(job)},
                                                {"cases.csv", std::string(kTable)},
                                                {"a.ts", std::string(kSeries)}};
    std::string& text = files.at(c.file);
    if (*c.from != '\0') {
      ASSERT_NE(text.find(c.from), std::string::npos) << c.from;
      text.replace(text.find(c.from), std::string_view(c.from).size(), c.to);
    }
    for (const auto& [name, content] : files)
      dir.write(name, content);
    const std::string setup = "cd '" + dir.path().string() + "' && " + c.setup;
    if (*c.setup != '\0') {
      ASSERT_EQ(std::system(setup.c_str()), 0);
    }
    const auto before = entries(dir);
    const Outcome o = run_batch(dir, std::string("run job.toml --quiet ") + c.args);
    EXPECT_EQ(o.status, c.status) << o.err;
    if (c.status == 1 || c.status == 2) {
      EXPECT_FALSE(std::filesystem::exists(dir.file("job.out")));
    }
    for (const char* part : c.said)
      EXPECT_NE(o.err.find(part), std::string::npos) << o.err;
    // Every input stays as it was; a run that fails writes nothing.
    auto after = entries(dir);
    if (o.status == 0 || o.status == 3) after.erase("job.out");
    EXPECT_TRUE(after == before);
  }
}

TEST(SkaldurBatch, InputsThatCannotBeUsedStopTheRunNamingThePlace) {
  const char* const j = "job.toml";
  const char* const t = "cases.csv";
  const std::vector<BadCase> cases = {
      {j, "dff = 2.0", "dff = \"two\"", 2, {"job.toml, line 2, field 'dff'"}},
      {j, "design_life = 20.0\n", "", 2, {"field 'design_life'", "required"}},
      {j, "dff = 2.0", "dff = 2.0\ndesing_life = 3", 2, {"job.toml, line 3, field 'desing_life'"}},
      {j, "[[hotspot]]", "[[hotspot]", 2, {"job.toml, line 6"}},
      {j, "\"MPa\"", "\"kPa\"", 2, {"job.toml, line 4, field 'unit'"}},
      {j, "curve = 6", "curve = \"NORSOK Q AIR\"", 2, {"job.toml, line 9, field 'curve'"}},
      {j, "curve = 6", "curve = 51", 2, {"line 9, field 'curve'"}},
      {j, "curve = 6", "", 2, {"job.toml, line 6", "'h1'", "curve_file"}},
      {j, "curve = 6", "curve_file = \"d.sn\"", 2, {"line 9, field 'curve_file'", "d.sn"}},
      {j, "curve = 6", "curve_file = \"job.toml\"", 2, {"job.toml, line 2", "the curve_file of"}},
      {j, "\"b\"", "\"z\"", 2, {"job.toml, line 8, field 'column'", "hotspot 'h1'", "a.ts", "'z'"}},
      {j, "\"b\"", "4", 2, {"job.toml, line 8, field 'column'", "a.ts", "3 columns"}},
      {j, "\"b\"", "1", 2, {"line 8, field 'column'"}},
      {j, "cases.csv", "other.csv", 2, {"other.csv", "load_cases"}},
      {t, "probability", "chance", 2, {"cases.csv, line 1"}},
      {t, "c2,a.ts,0.5", "c2,a.ts,half", 2, {"cases.csv, line 3, field 'probability'", "half"}},
      {t, "c2,a.ts,0.5", "c2,a.ts", 2, {"cases.csv, line 3", "2 fields"}},
      {t, "c2,", "c1,", 2, {"cases.csv, line 3, field 'name'"}},
      {t, "c2,a.ts", "c2,b.ts", 2, {"b.ts", "c2"}},
      {"a.ts", "3 80 95", "3 80 x", 2, {"a.ts, line 5", "'c1'"}},
      {"a.ts", "", "", 2, {"--shard"}, "--shard 3/2"},
      {t, "c2,a.ts,0.5", "c2,a.ts,0.4", 0, {"warning", "0.9"}},
      {"a.ts", "3 80 95\n4 0 1\n5 60 50\n", "", 0, {"warning", "'c1'", "too short"}},
      {"a.ts", "", "", 1, {"cannot make the folder", "job.toml/out"}, "--out job.toml/out"},
      {j, "design_life = 20.0", "design_life = 1e30", 3, {}, "--check"},
      // Every run gets a status; a damage that is not a finite number writes nothing.
      {t,
       "probability\nc1,a.ts,0.5\nc2,a.ts,0.5",
       "probability,first_time,last_time\nc1,a.ts,0.5,,\nc2,a.ts,0.5,9,",
       3,
       {"warning", "'c2'", "0 data lines"},
       "--check"},
      {t,
       "probability\nc1,a.ts,0.5\nc2,a.ts,0.5",
       "probability,first_time,last_time\nc1,a.ts,0.5,,\nc2,a.ts,0.5,5,",
       0,
       {"warning", "'c2'", "1 data line in"}},
      {"a.ts", kSeries.data(), "", 0, {"warning", "'c1'", "0 data lines"}},
      {"a.ts", "1 90 70\n2 3 4\n3 80 95\n4 0 1\n5 60 50\n", "1 1 2\n2 1 2\n", 0, {"constant"}},
      {j, "curve = 6", "curve = 6\nscf = 1e300", 1, {"hotspot 'h1'", "load case 'c1'", "finite"}},
      {j, "curve = 6", "curve = 6\nscf = 1e300", 1, {"not a finite number"}, "--shard 1/1"},
      {"a.ts", "3 80 95\n4 0 1\n5 60 50\n", "", 3, {"too short"}, "--check --shard 1/1"},
      // Inputs that are not regular files, too large, or outputs of the run; names of any bytes.
      {j, "cases.csv", ".", 2, {"table '.' is not a regular file", "load_cases"}},
      {j, "", "", 2, {"file 'job.toml' is not a regular"}, "", "rm job.toml; mkdir job.toml"},
      {t, "c2,a.ts", "c2,f.ts", 2, {"f.ts is not a regular file", "'c2'"}, "", "mkfifo f.ts"},
      {j, "cases.csv", "/dev/zero", 2, {"'/dev/zero' is not a regular file", "load_cases"}},
      {j, "curve = 6", "curve_file = \"/dev/zero\"", 2, {"line 9, field 'curve_file'", "regular"}},
      {j,
       "e = 6",
       "e_file = \"c.sn\"",
       2,
       {"'c.sn' is larger than 1 MiB"},
       "",
       "truncate -s2M c.sn"},
      {j, "cases.", "damage.", 2, {"./damage.csv is"}, "--out .", "cp cases.csv damage.csv"},
      {t, "2,a.ts", "2,summary.csv", 2, {"./summary.csv is"}, "--out .", "cp a.ts summary.csv"},
      {t, "c2,", "c\xFF,", 0, {}},
      // Smaller faults, the documented keys and the tests the suite missed.
      {j, "dff = 2.0\n", "", 2, {"job.toml, line 5", "'h1' has no dff", "required"}},
      {j,
       "dff = 2.0\nload_cases = \"cases.csv\"\nunit = \"MPa\"\n\n[[hotspot]]",
       "load_cases = \"cases.csv\"\nunit = \"MPa\"\n\n[[hotspot]]\ndff = 2.0",
       0,
       {}},
      {j, "curve = 6", "curve = 6\nblocks = 700", 0, {"line 10, field 'blocks'", "the most"}},
      {j, "MPa\"", "MPa\"\nblocks = 0", 0, {"line 5, field 'blocks'", "the default 500"}},
      {j, "curve = 6", "curve = 6\nscf = 1e-11", 0, {"field 'scf'", "1e-11", "1.0 is used"}},
      {t, "probability\nc1,a.ts,0.5", "hours_per_year\nc1,a.ts,9000", 0, {"9000.5, more than"}},
      {"a.ts", "", "", 2, {"--jobs: must be 1 or more"}, "--jobs 0"},
      // U = (damage per year x design life) x dff is exactly 1 at the first
      // life (a pass) and just above 1 at the next double (a fail).
      {j, "design_life = 20.0", "design_life = 0.1233641634045018", 0, {}, "--check"},
      {j, "design_life = 20.0", "design_life = 0.12336416340450182", 3, {}, "--check"},
      // Shard 2 of 2 holds the second load case, whose window is too short.
      {t,
       "probability\nc1,a.ts,0.5\nc2,a.ts,0.5",
       "probability,first_time,last_time\nc1,a.ts,0.5,,\nc2,a.ts,0.5,0,2",
       0,
       {"warning", "'c2'"},
       "--shard 2/2"},
      {j, "curve = 6", "curve = \"norsok e bp_svi\"", 0, {}},  // the catalogue's last curve
      {t, "name,", "\xEF\xBB\xBFname,", 0, {}},                // a byte-order mark
      // The options for cycle-level results: each bad one stops the run at its key.
      {j, "MPa\"", "MPa\"\nends = \"held\"", 2, {"line 5, field 'ends'", "'held'", "\"keep\""}},
      {j, "MPa\"", "MPa\"\nends = 1", 2, {"line 5, field 'ends'", "not a text"}},
      {j, "MPa\"", "MPa\"\nresidue = \"full\"", 2, {"line 5, field 'residue'", "'full'"}},
      {j, "MPa\"", "MPa\"\ndamage = \"miner\"", 2, {"line 5, field 'damage'", "'miner'"}},
      {j, "MPa\"", "MPa\"\nmean_stress = \"dnv\"", 2, {"line 5, field 'mean_stress'", "table"}},
      {j, "MPa\"", "MPa\"\nmean_stress = { method = \"walker\" }", 2, {"'mean_stress.method'"}},
      {j, "MPa\"", "MPa\"\nmean_stress = { p = 0.8 }", 2, {"'mean_stress.method'", "required"}},
      {j, "MPa\"", "MPa\"\nmean_stress = { method = \"dnv\" }", 2, {"'mean_stress.p'", "required"}},
      {j, "MPa\"", "MPa\"\nmean_stress = { method = \"dnv\", p = 1.5 }", 2, {"'mean_stress.p'"}},
      {j, "MPa\"", "MPa\"\nmean_stress = { method = \"dnv\", p = -0.1 }", 2, {"'mean_stress.p'"}},
      {j,
       "MPa\"",
       "MPa\"\nmean_stress = { method = \"dnv\", p = nan }",
       2,
       {"'mean_stress.p'", "finite"}},
      {j, "MPa\"", "MPa\"\nmean_stress = { method = \"goodman\" }", 2, {"'mean_stress.ultimate'"}},
      {j,
       "MPa\"",
       "MPa\"\nmean_stress = { method = \"goodman\", ultimate = 0 }",
       2,
       {"'mean_stress.ultimate'", "above 0"}},
      {j,
       "MPa\"",
       "MPa\"\nmean_stress = { method = \"dnv\", p = 1, ultimate = 1 }",
       2,
       {"'mean_stress.ultimate'", "goodman"}},
      {j, "MPa\"", "MPa\"\nmean_stress = { method = \"none\", q = 1 }", 2, {"'mean_stress.q'"}},
      {j, "MPa\"", "MPa\"\nstatic_stress = inf", 2, {"line 5, field 'static_stress'", "finite"}},
      {j, "MPa\"", "MPa\"\nstatic_stress = \"9\"", 2, {"line 5, field 'static_stress'"}},
      {j, "MPa\"", "MPa\"\noutputs = 3", 2, {"line 5, field 'outputs'", "table"}},
      {j,
       "curve = 6",
       "curve = 6\n[outputs]\nhistogram = 1",
       2,
       {"line 11, field 'outputs.histogram'", "unknown"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs = { matrix = { kind = \"rf\" } }",
       2,
       {"'outputs.matrix.kind'", "'rf'"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs.matrix = { kind = \"range-mean\", range_bin = 2 }",
       2,
       {"'outputs.matrix.mean_bin'", "required"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs.matrix = { kind = \"from-to\", bin = 0 }",
       2,
       {"'outputs.matrix.bin'", "above 0"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs.matrix = { kind = \"range\", range_bin = -2 }",
       2,
       {"'outputs.matrix.range_bin'", "above 0"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs.matrix = { kind = \"range\", range_bin = 2, bin = 5 }",
       2,
       {"'outputs.matrix.bin'", "unknown"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { f_eq = 1 }", 2, {"'outputs.del.m'", "required"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = [] }", 2, {"'outputs.del.m'", "empty"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = 3 }", 2, {"'outputs.del.m'", "list"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = [3, 0] }", 2, {"'outputs.del.m'", "above 0"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = [3, \"5\"] }", 2, {"'outputs.del.m'"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = [inf] }", 2, {"'outputs.del.m'", "finite"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = [3], f_eq = 0.0 }", 2, {"'outputs.del.f_eq'"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = [3], n_eq = -1e7 }", 2, {"'outputs.del.n_eq'"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs.del = { m = [3], f_eq = 1, n_eq = 1 }",
       2,
       {"'outputs.del.n_eq'", "both"}},
      {j, "MPa\"", "MPa\"\noutputs.del = { m = [3], k = 1 }", 2, {"'outputs.del.k'", "unknown"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs.equivalent_range = { n_eq = 0 }",
       2,
       {"'outputs.equivalent_range.n_eq'", "above 0"}},
      {j,
       "MPa\"",
       "MPa\"\noutputs.equivalent_range = { n = 1 }",
       2,
       {"'outputs.equivalent_range.n'", "unknown"}},
      // ends and residue hold for the whole job; a hotspot overrides damage,
      // mean_stress and static_stress only.
      {j, "curve = 6", "curve = 6\nends = \"keep\"", 2, {"line 10, field 'ends'", "[[hotspot]]"}},
      {j, "curve = 6", "curve = 6\nresidue = \"half\"", 2, {"line 10, field 'residue'"}},
      {j, "curve = 6", "curve = 6\ndamage = \"exactly\"", 2, {"line 10, field 'damage'"}},
      {j, "curve = 6", "curve = 6\nstatic_stress = [1]", 2, {"line 10, field 'static_stress'"}},
      // Mean-stress correction needs exact damage, hotspot by hotspot after
      // the overrides; the message points at the correction the hotspot runs.
      {j,
       "MPa\"",
       "MPa\"\nmean_stress = { method = \"dnv\", p = 1 }",
       2,
       {"line 5, field 'mean_stress'", "hotspot 'h1'", "damage = \"exact\""}},
      {j,
       "curve = 6",
       "curve = 6\nmean_stress = { method = \"dnv\", p = 1 }",
       2,
       {"line 10, field 'mean_stress'", "hotspot 'h1'", "damage = \"exact\""}},
      {j,
       "MPa\"\n\n[[hotspot]]\nname = \"h1\"",
       "MPa\"\ndamage = \"exact\"\nmean_stress = { method = \"dnv\", p = 0.8 }\n\n[[hotspot]]\n"
       "name = \"h1\"\ndamage = \"blocks\"",
       2,
       {"line 6, field 'mean_stress'", "hotspot 'h1'", "damage = \"exact\""}},
      {j,
       "MPa\"\n\n[[hotspot]]\nname = \"h1\"",
       "MPa\"\nmean_stress = { method = \"dnv\", p = 0.8 }\n\n[[hotspot]]\nname = \"h1\"\n"
       "damage = \"exact\"",
       0,
       {}},
      {j,
       "MPa\"\n\n[[hotspot]]\nname = \"h1\"",
       "MPa\"\nmean_stress = { method = \"dnv\", p = 0.8 }\n\n[[hotspot]]\nname = \"h1\"\n"
       "mean_stress = { method = \"none\" }",
       0,
       {}},
      // A hotspot that combines components: each bad one stops the run at its key.
      {j, "column = \"b\"\n", "", 2, {"job.toml, line 6, field 'column'", "required"}},
      {j, "\"b\"", "\"b\"\ncomponents = [{ column = 2, factor = 2 }]", 2, {"line 9", "not both"}},
      {j, "column = \"b\"", "components = []", 2, {"line 8, field 'components'", "empty"}},
      {j, "column = \"b\"", "components = 3", 2, {"line 8, field 'components'", "list"}},
      {j, "column = \"b\"", "components = [\"b\"]", 2, {"field 'components[1]'", "not a table"}},
      {j,
       "column = \"b\"",
       "components = [{ column = 2 }]",
       2,
       {"'components[1].factor'", "required"}},
      {j,
       "column = \"b\"",
       "components = [{ column = 2, factor = 1 },\n{ column = 3, factor = nan }]",
       2,
       {"line 9, field 'components[2].factor'", "finite"}},
      {j, "column = \"b\"", "components = [{ column = 2, factor = \"2\" }]", 2, {"number"}},
      {j, "column = \"b\"", "components = [{ factor = 2 }]", 2, {"'components[1].column'"}},
      {j, "column = \"b\"", "components = [{ column = 1, factor = 2 }]", 2, {"time"}},
      {j,
       "column = \"b\"",
       "components = [{ column = 2, factor = 2, scf = 1 }]",
       2,
       {"line 8, field 'components[1].scf'", "unknown"}},
      {j,
       "column = \"b\"",
       "components = [{ column = \"a\", factor = 1 },\n{ column = \"z\", factor = 2 }]",
       2,
       {"job.toml, line 9, field 'components[2].column'", "hotspot 'h1'", "a.ts", "'z'"}},
      {j, "column = \"b\"", "components = [{ column = 4, factor = 1 }]", 2, {"3 columns"}},
      {j, "column = \"b\"", "components = [{ column = \"a\", factor = -1.5 }]\nscf = 2", 0, {}},
  };
  expect_each(cases, kJob);
}

// A job of one joint; each row changes one thing.
constexpr std::string_view kJointJob =
    "design_life = 20.0\n"
    "dff = 2.0\n"
    "load_cases = \"cases.csv\"\n"
    "unit = \"MPa\"\n"
    "\n"
    "[[joint]]\n"
    "name = \"K\"\n"
    "axial = \"a\"\n"
    "in_plane = \"b\"\n"
    "out_of_plane = 3\n"
    "scf = { axial_crown = 2.5, axial_saddle = 3.1, in_plane = 2.2, out_of_plane = 2.8 }\n"
    "curve = 6\n";

TEST(SkaldurBatch, BadJointsStopTheRunNamingTheKey) {
  const char* const j = "job.toml";
  const char* const scf =
      "scf = { axial_crown = 2.5, axial_saddle = 3.1, in_plane = 2.2, out_of_plane = 2.8 }\n";
  const std::vector<BadCase> cases = {
      {j, "", "", 0, {}},
      {j, "axial_saddle = 3.1, ", "", 2, {"line 11, field 'scf.axial_saddle'", "required"}},
      {j, "in_plane = 2.2", "in_plane = 0.0", 2, {"line 11, field 'scf.in_plane'", "above 0"}},
      {j, "out_of_plane = 2.8", "out_of_plane = -2.8", 2, {"'scf.out_of_plane'", "above 0"}},
      {j, "axial_crown = 2.5", "axial_crown = inf", 2, {"'scf.axial_crown'", "finite"}},
      {j, "axial_crown = 2.5", "axial_crown = \"2.5\"", 2, {"'scf.axial_crown'", "number"}},
      {j, "2.8 }", "2.8, brace = 1 }", 2, {"line 11, field 'scf.brace'", "unknown"}},
      {j, scf, "scf = 2.5\n", 2, {"line 11, field 'scf'", "table"}},
      {j, scf, "", 2, {"line 6, field 'scf'", "required"}},
      {j, "in_plane = \"b\"\n", "", 2, {"line 6, field 'in_plane'", "required"}},
      {j, "out_of_plane = 3", "out_of_plane = 1.5", 2, {"line 10, field 'out_of_plane'"}},
      {j, "out_of_plane = 3", "out_of_plane = 1", 2, {"line 10, field 'out_of_plane'", "time"}},
      {j, "curve = 6", "curve = 6\ncolumn = 2", 2, {"line 13, field 'column'", "[[joint]]"}},
      {j, "name = \"K\"\n", "", 2, {"line 6, field 'name'", "required"}},
      {j, "curve = 6", "", 2, {"joint 'K' needs either `curve`"}},
      {j, "dff = 2.0\n", "", 2, {"joint 'K' has no dff"}},
      {j,
       "curve = 6",
       "curve = 6\nmean_stress = { method = \"dnv\", p = 1 }",
       2,
       {"line 13, field 'mean_stress'", "joint 'K'", "exact"}},
      // Columns are looked up in the record.
      {j, "\"a\"", "\"z\"", 2, {"job.toml, line 8, field 'axial'", "joint 'K'", "a.ts", "'z'"}},
      {j,
       "out_of_plane = 3",
       "out_of_plane = 4",
       2,
       {"line 10, field 'out_of_plane'", "joint 'K'"}},
      // Names are unique across hotspots and points; a job needs one of them.
      {j,
       "[[joint]]",
       "[[hotspot]]\nname = \"K-090\"\ncolumn = 2\ncurve = 6\n\n[[joint]]",
       2,
       {"line 11, field 'name'", "'K-090' is named twice"}},
      {j, "design_life", "hotspot = 3\ndesign_life", 2, {"line 1, field 'hotspot'", "tables"}},
      {j, "", "", 2, {"field 'hotspot'", "at least one"}, "", "sed -i '6,$d' job.toml"},
  };
  expect_each(cases, kJointJob);
}

}  // namespace
}  // namespace skaldur
