// Runs the built program where its files are at risk: the answers file named
// as an output, full disks, runs killed or run twice at once on one print
// file, links, modes, pipes. Each case is a small shell script in a fresh
// folder whose output must be exactly the case's; it ends by listing the
// folder, so that no file is left that nobody asked for. The input files of
// a case must stay unchanged.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur {
namespace {

using testing::read_file;
using testing::TempDir;

// One value a second in MPa; with curve 48 it has four cycles and a damage.
const std::string kSeries = "0 3\n1 0\n2 5\n3 1\n4 4\n5 2\n6 6\n7 0\n8 3\n";

// A catalogue run (curve 48, MPa, 500 blocks) with the given print file and
// histogram answers (questions 13 to 16).
std::string answers(const std::string& print, const std::string& histograms = "n\nn\n",
                    const std::string& series = "series.txt") {
  return print + "\n" + series + "\n\n\nm\n\n\n\n\n48\n\n" + histograms;
}
const std::string kBothFiles = "y\nplot.txt\ny\nyear.txt\n";

// `run [answers]` runs the program with its console in console.out and
// console.err and says its status; a temporary file shows as .NAME.tmp.
const std::string kPrelude =
    "export LC_ALL=C\n"
    "run() { \"$SKALDUR\" < \"${1:-answers}\" > console.out 2> console.err; echo \"status $?\"; "
    "}\n";
const std::string kListing = "echo files: $(ls -A | sed 's/\\.[^.]\\{6\\}$/.tmp/')\n";

struct Case {
  std::string name;
  std::vector<std::pair<std::string, std::string>> files;  // inputs: must stay unchanged
  std::string script;
  std::string expected;  // the script's output
};

std::vector<Case> cases() {
  const std::string kill_answers = answers("print.txt", "");
  std::string long_series;
  for (int t = 0; t < 20000; ++t)
    long_series += std::to_string(t) + (t % 2 ? " 7\n" : " 1\n");
  return {
      // The answers file is an input: never overwritten, asked again with
      // the reason at questions 1, 14 and 16.
      {"AnswersFileIsNeverAnOutput",
       {{"series.txt", kSeries},
        {"answers", "answers\n" + answers("print.txt", "y\nanswers\nout\ny\nanswers\nout\n")}},
       "run; cat console.err; grep -c 'Cannot [Oo]pen[ a-z]*:answers  *$' console.out\n"
       "tail -n 1 print.txt; grep -c 'Data refer to Cycles per Year' out\n",
       "status 0\n"
       "skaldur: note: cannot open 'answers' (question 1): it is the console input of this run\n"
       "skaldur: note: cannot open 'answers' (question 14): it is the console input of this run\n"
       "skaldur: note: cannot open 'answers' (question 16): it is the console input of this run\n"
       "3\n --------------- e o f ----------------\n1\n"
       "files: answers console.err console.out out print.txt series.txt\n"},
      // A full disk for every output (each file may hold 500 bytes): each
      // failed file is named, the old print file stays whole.
      {"EveryFailedWriteIsNamed",
       {{"series.txt", kSeries},
        {"print.txt", "old content\n"},
        {"answers", answers("print.txt", kBothFiles)}},
       "trap '' XFSZ\nprlimit --fsize=500 \"$SKALDUR\" < answers > /dev/null 2> console.err\n"
       "echo \"status $?\"; cat console.err plot.txt year.txt\n",
       "status 1\nskaldur: cannot write plot.txt: File too large\n"
       "skaldur: cannot write print.txt: File too large\n"
       "skaldur: cannot write year.txt: File too large\n"
       "files: answers console.err plot.txt print.txt series.txt year.txt\n"},
      // Killed after the summary is made, while question 13 waits: the old
      // print file is whole, its successor left aside.
      {"KilledRunKeepsTheOldPrintFile",
       {{"series.txt", kSeries}, {"print.txt", "old content\n"}},
       "mkfifo in\n\"$SKALDUR\" < in > console.out 2> console.err &\npid=$!\nexec 3> in\n"
       "printf '" +
           kill_answers.substr(0, kill_answers.size() - 1) + "\\n' >&3\n" +
           "while ! grep -qs 'Cycle Histogram' console.out; do sleep 0.01; done\n"
           "kill -9 $pid; wait $pid 2> /dev/null; echo \"status $?\"; grep -c 'per Year .* "
           "7.52512E-04' "
           "console.out\n",
       "status 137\n1\nfiles: .print.txt.tmp console.err console.out in print.txt series.txt\n"},
      // Runs at once on one print file: it always holds one run's summary.
      {"TwoRunsAtOnceOnOnePrintFile",
       {{"series.txt", kSeries},
        {"long.txt", long_series},
        {"a", answers("print.txt")},
        {"b", answers("print.txt", "n\nn\n", "long.txt")}},
       "for r in a b; do run $r; tail -n +2 print.txt > ref.$r; done\n"
       "cmp -s ref.a ref.b && echo same\n"
       "for i in $(seq 20); do\n"
       "  \"$SKALDUR\" < a > /dev/null & \"$SKALDUR\" < b > /dev/null; wait\n"
       "  tail -n +2 print.txt > got; cmp -s got ref.a || cmp -s got ref.b || echo mixed\n"
       "done\n",
       "status 0\nstatus 0\n"
       "files: a b console.err console.out got long.txt print.txt ref.a ref.b series.txt\n"},
      // A link is followed and stays a link; modes stay; a new file gets the
      // usual mode; names lose their trailing blanks.
      {"LinksAndModesAreKept",
       {{"series.txt", kSeries},
        {"answers", answers("print.txt" + std::string(300, ' '), kBothFiles)}},
       "umask 022\nmkdir real && echo old > real/target && chmod 640 real/target\n"
       "ln -s real/target print.txt\necho old > plot.txt && chmod 604 plot.txt\n"
       "run; [ -L print.txt ] && echo link; tail -n 1 real/target plot.txt\n"
       "stat -c '%a %n' real/target plot.txt year.txt\n",
       "status 0\nlink\n==> real/target <==\n --------------- e o f ----------------\n\n"
       "==> plot.txt <==\n    6.06000E+00    0.00000E+00\n640 real/target\n604 plot.txt\n"
       "644 year.txt\n"
       "files: answers console.err console.out plot.txt print.txt real series.txt year.txt\n"},
      // A pipe is written directly.
      {"PlotFileOnStandardOutputPipe",
       {{"series.txt", kSeries}, {"answers", answers("print.txt", "y\n/dev/stdout\nn\n")}},
       "\"$SKALDUR\" < answers 2> console.err | sed -n '/Stressblocks/p;$p'\ncat console.err\n",
       "# Number of Stressblocks:          500\n    6.06000E+00    0.00000E+00\n"
       "files: answers console.err print.txt series.txt\n"},
  };
}

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class Hardening : public ::testing::TestWithParam<Case> {};

TEST_P(Hardening, FilesAreSafe) {
  const Case& c = GetParam();
  TempDir box;
  const std::string folder = box.file("case");
  std::filesystem::create_directory(folder);
  for (const auto& [name, content] : c.files)
    box.write("case/" + name, content);
  box.write("run.sh", kPrelude + c.script + kListing);
  const char* exe = std::getenv("SKALDUR_EXE");
  ASSERT_NE(exe, nullptr) << "SKALDUR_EXE is not set";
  const std::string command =
      "cd '" + folder + "' && SKALDUR='" + exe + "' timeout -k 5 60 sh ../run.sh > ../out 2>&1";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) != 124) << "the case did not end within 60 s";
  EXPECT_EQ(read_file(box.file("out")), c.expected);
  for (const auto& [name, content] : c.files)
    EXPECT_TRUE(read_file(box.file("case/" + name)) == content) << name << " was changed";
}

INSTANTIATE_TEST_SUITE_P(Cases, Hardening, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& c) { return c.param.name; });

}  // namespace
}  // namespace skaldur
