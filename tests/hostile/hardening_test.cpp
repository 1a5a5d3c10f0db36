// Runs the built program where its files are at risk: the answers file named
// as an output, names the system cannot open or that are too long, full
// disks, runs killed or run twice at once on one print file, links, modes,
// devices. Each case is a small shell script in a fresh folder; the program
// is "$SKALDUR". After each case no file is left that nobody asked for.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur {
namespace {

using testing::read_file;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr int kTimeoutSeconds = 60;

// One value a second in MPa; with curve 48 it has four cycles and a damage.
const std::string kSeries = "0 3\n1 0\n2 5\n3 1\n4 4\n5 2\n6 6\n7 0\n8 3\n";
const std::string kEof = " --------------- e o f ----------------\n";
const std::string kOld = "old content\n";

// A catalogue run (curve 48, MPa, 500 blocks) with the given print file and
// histogram answers (questions 13 to 16).
std::string answers(const std::string& print, const std::string& histograms = "n\nn\n",
                    const std::string& series = "series.txt") {
  return print + "\n" + series + "\n\n\nm\n\n\n\n\n48\n\n" + histograms;
}
const std::string kBothFiles = "y\nplot.txt\ny\nyear.txt\n";

bool is_summary(const std::string& text) {
  return text.starts_with(" Date : ") && text.ends_with(kEof) &&
         text.find(kEof) + 40 == text.size();
}
bool is_plot(const std::string& text) {
  return text.starts_with("# Date : ") && text.ends_with("    6.06000E+00    0.00000E+00\n");
}
bool is_cycles(const std::string& text) {
  return text.find("# == Data refer to Cycles per Year =") != std::string::npos;
}
unsigned mode_of(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}
std::string blank_filled(const std::string& name) {
  return name + std::string(256 - name.size(), ' ') + "\n";
}

struct Case {
  std::string name;
  std::vector<std::pair<std::string, std::string>> files;  // written before; must stay unchanged
  std::string script;                                      // sh, in the case's folder
  int status;                                              // of the script
  std::vector<std::string> err_parts;  // one stderr line holds each part; no other lines
  std::vector<std::string> console_has;
  std::vector<std::string> made;  // names the script or the program may add
  std::function<void(const TempDir&)> check;
  std::size_t temporary_files = 0;  // left behind on top of `made` (after a kill)
};

std::vector<Case> cases() {
  const std::string run = "\"$SKALDUR\" < answers > console.out 2> console.err\n";
  const std::string long_path = "d/" + std::string(254, 'a');  // 256 characters
  std::vector<Case> table;

  // The answers file is an input: never overwritten, asked again with the reason.
  table.push_back(
      {"AnswersFileRefusedAtQuestion1",
       {{"series.txt", kSeries}, {"answers", "answers\n" + answers("print.txt")}},
       run,
       0,
       {"'answers' (question 1): it is the console input"},
       {" Cannot Open file :" + blank_filled("answers")},
       {"print.txt"},
       [](const TempDir& dir) { EXPECT_TRUE(is_summary(read_file(dir.file("print.txt")))); }});
  table.push_back(
      {"AnswersFileRefusedAtQuestions14And16",
       {{"series.txt", kSeries},
        {"answers", answers("print.txt", "y\nanswers\nplot.txt\ny\nanswers\nyear.txt\n")}},
       run,
       0,
       {"(question 14): it is the console input", "(question 16): it is the console input"},
       {" Cannot open      :" + blank_filled("answers")},
       {"print.txt", "plot.txt", "year.txt"},
       [](const TempDir& dir) { EXPECT_TRUE(is_cycles(read_file(dir.file("year.txt")))); }});

  // A file that exists but cannot be opened gives the system's reason; a
  // missing one only the console line.
  table.push_back({"FolderAsSeriesFile",
                   {{"series.txt", kSeries},
                    {"answers", "print.txt\nmissing.txt\nsub\n" + answers("print.txt").substr(10)}},
                   "mkdir sub\n" + run,
                   0,
                   {"'sub' (question 2): Is a directory"},
                   {" Nonexisting file :" + blank_filled("missing.txt"),
                    " Nonexisting file :" + blank_filled("sub")},
                   {"print.txt", "sub"},
                   {}});

  // Cut to 256 characters, this name would open another existing file.
  table.push_back(
      {"NameLongerThan256Characters",
       {{"series.txt", kSeries}, {"answers", long_path + "xyz\n" + answers("print.txt")}},
       "mkdir d && printf 'other\\n' > " + long_path + "\n" + run,
       0,
       {"(question 1): the name is longer than 256 characters"},
       {" Cannot Open file :" + long_path + "\n"},
       {"print.txt", "d"},
       [long_path](const TempDir& dir) { EXPECT_EQ(read_file(dir.file(long_path)), "other\n"); }});

  // A full disk for every output (each file may hold 500 bytes): each failed
  // file is named, and the old print file stays whole.
  table.push_back(
      {"EveryFailedWriteIsNamed",
       {{"series.txt", kSeries},
        {"print.txt", kOld},
        {"answers", answers("print.txt", kBothFiles)}},
       "trap '' XFSZ\nprlimit --fsize=500 \"$SKALDUR\" < answers > /dev/null 2> console.err\n",
       1,
       {"print.txt", "plot.txt", "year.txt"},
       {},
       {"plot.txt", "year.txt"},
       [](const TempDir& dir) {
         EXPECT_EQ(read_file(dir.file("plot.txt")), "");
         EXPECT_EQ(read_file(dir.file("year.txt")), "");
       }});

  // Killed after the summary is made, while question 13 waits: the old print
  // file is whole.
  table.push_back(
      {"KilledRunKeepsTheOldPrintFile",
       {{"series.txt", kSeries}, {"print.txt", kOld}},
       "mkfifo in\n\"$SKALDUR\" < in > console.out 2> console.err &\npid=$!\nexec 3> in\n"
       "printf '" +
           answers("print.txt", "").substr(0, answers("print.txt", "").size() - 1) +
           "\\n' >&3\n"
           "while ! grep -q 'Cycle Histogram' console.out; do sleep 0.01; done\n"
           "kill -9 $pid\nwait $pid\n",
       128 + 9,
       {},
       {" Computed Damage per Year      :     7.52512E-04\n"},
       {"in"},
       {},
       1});

  // Runs at once on one print file: it always holds one run's whole summary.
  {
    Case c{"TwoRunsAtOnceOnOnePrintFile",
           {{"series.txt", kSeries},
            {"long.txt",
             [] {
               std::string s;
               for (int t = 0; t < 20000; ++t)
                 s += std::to_string(t) + (t % 2 ? " 7\n" : " 1\n");
               return s;
             }()},
            {"a", answers("print.txt")},
            {"b", answers("print.txt", "n\nn\n", "long.txt")}},
           "for r in a b; do \"$SKALDUR\" < $r > /dev/null; tail -n +2 print.txt > ref.$r; done\n"
           "for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do\n"
           "  \"$SKALDUR\" < a > /dev/null & \"$SKALDUR\" < b > /dev/null; wait\n"
           "  tail -n +2 print.txt > got\n"
           "  cmp -s got ref.a || cmp -s got ref.b || { echo mixed >> console.err; cat got >> "
           "console.err; }\n"
           "done\n",
           0,
           {},
           {},
           {"print.txt", "ref.a", "ref.b", "got"},
           {}};
    c.check = [](const TempDir& dir) {
      EXPECT_NE(read_file(dir.file("ref.a")), read_file(dir.file("ref.b")));
    };
    table.push_back(std::move(c));
  }

  // A link is followed and stays a link; modes stay; a new file gets the
  // usual mode; names lose their trailing blanks.
  table.push_back(
      {"LinksAndModesAreKept",
       {{"series.txt", kSeries},
        {"answers", answers("print.txt" + std::string(300, ' '), kBothFiles)}},
       "umask 022\nmkdir real && printf 'old\\n' > real/target && chmod 640 real/target\n"
       "ln -s real/target print.txt\nprintf 'old\\n' > plot.txt && chmod 604 plot.txt\n" +
           run,
       0,
       {},
       {},
       {"print.txt", "real", "plot.txt", "year.txt"},
       [](const TempDir& dir) {
         EXPECT_TRUE(fs::is_symlink(dir.file("print.txt")));
         EXPECT_TRUE(is_summary(read_file(dir.file("real/target"))));
         EXPECT_EQ(mode_of(dir.file("real/target")), 0640U);
         EXPECT_TRUE(is_plot(read_file(dir.file("plot.txt"))));
         EXPECT_EQ(mode_of(dir.file("plot.txt")), 0604U);
         EXPECT_EQ(mode_of(dir.file("year.txt")), 0644U);
       }});

  // An input error: a missing print file exists, empty; an old one is kept.
  table.push_back({"InputErrorLeavesPrintFilesAsNamed",
                   {{"series.txt", "0 3\n1 x\n"},
                    {"old.txt", kOld},
                    {"a", answers("new.txt")},
                    {"b", answers("old.txt")}},
                   "\"$SKALDUR\" < a > /dev/null 2> console.err\n"
                   "\"$SKALDUR\" < b > /dev/null 2>> console.err\n",
                   2,
                   {"series.txt, line 2", "series.txt, line 2"},
                   {},
                   {"new.txt"},
                   [](const TempDir& dir) { EXPECT_EQ(read_file(dir.file("new.txt")), ""); }});

  // One name at questions 14 and 16 gives the cycles-per-year file.
  table.push_back(
      {"OneNameForPlotAndCycles",
       {{"series.txt", kSeries}, {"answers", answers("print.txt", "y\nout.txt\ny\nout.txt\n")}},
       run,
       0,
       {},
       {},
       {"print.txt", "out.txt"},
       [](const TempDir& dir) {
         const std::string out = read_file(dir.file("out.txt"));
         EXPECT_TRUE(is_cycles(out) && out.starts_with("# Date : ")) << out.substr(0, 300);
       }});

  // A pipe is written directly.
  table.push_back(
      {"PlotFileOnStandardOutputPipe",
       {{"series.txt", kSeries}, {"answers", answers("print.txt", "y\n/dev/stdout\nn\n")}},
       "\"$SKALDUR\" < answers 2> console.err | cat > console.out\n",
       0,
       {},
       {"# Number of Stressblocks:          500\n", "    6.06000E+00    0.00000E+00\n"},
       {"print.txt"},
       {}});
  return table;
}

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class Hardening : public ::testing::TestWithParam<Case> {};

TEST_P(Hardening, FilesAreSafe) {
  const Case& c = GetParam();
  TempDir dir;
  for (const auto& [name, content] : c.files)
    dir.write(name, content);
  dir.write("run.sh", c.script);
  const char* exe = std::getenv("SKALDUR_EXE");
  ASSERT_NE(exe, nullptr) << "SKALDUR_EXE is not set";
  const std::string command = "cd '" + dir.path().string() + "' && SKALDUR='" + exe +
                              "' timeout -k 5 " + std::to_string(kTimeoutSeconds) + " sh run.sh";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  ASSERT_NE(WEXITSTATUS(raw), 124) << "the case did not end within " << kTimeoutSeconds << " s";
  EXPECT_EQ(WEXITSTATUS(raw), c.status);

  const std::string err = read_file(dir.file("console.err"));
  EXPECT_EQ(static_cast<std::size_t>(std::count(err.begin(), err.end(), '\n')), c.err_parts.size())
      << err;
  for (const std::string& part : c.err_parts)
    EXPECT_NE(err.find(part), std::string::npos) << "stderr lacks: " << part << "\n" << err;
  const std::string out = read_file(dir.file("console.out"));
  for (const std::string& part : c.console_has)
    EXPECT_NE(out.find(part), std::string::npos) << "console lacks: " << part;

  for (const auto& [name, content] : c.files)
    EXPECT_TRUE(read_file(dir.file(name)) == content) << name << " was changed";
  std::set<std::string> known(c.made.begin(), c.made.end());
  for (const auto& [name, content] : c.files)
    known.insert(name);
  known.insert({"run.sh", "console.out", "console.err"});
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    if (!known.contains(entry.path().filename().string()))
      others.push_back(entry.path().filename().string());
  EXPECT_EQ(others.size(), c.temporary_files)
      << "unexpected files: " << ::testing::PrintToString(others);
  if (c.check) c.check(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, Hardening, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& c) { return c.param.name; });

}  // namespace
}  // namespace skaldur
