#include "files/opening.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>

#include "files/whole_file.hpp"
#include "support/temp_dir.hpp"

namespace skaldur::files {
namespace {

using skaldur::testing::read_file;
using skaldur::testing::TempDir;
namespace fs = std::filesystem;

struct Files {
  std::istringstream in;
  std::ostringstream console;
  UnitTable units{in, console};
  TempDir dir;
};

std::size_t files_in(const TempDir& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
}

// An output keeps its old content until it is closed: it is written beside
// the file and then put in its place whole. Reopening a unit closes the file
// it had. Two names of one file have one identity; a file the run reads is
// never opened for writing.
TEST(OPNFIL, OutputsAndIdentities) {
  Files f;
  const std::string plot = f.dir.write("plot", "old\n"), cycles = f.dir.file("cycles");
  ASSERT_EQ(OPNFIL(f.units, plot, kOutputSlot, 0), 0);
  ASSERT_EQ(OPNFIL(f.units, cycles, kOutputSlot, 0), 0);
  EXPECT_EQ(read_file(plot), "old\n");
  *f.units.output(kOutputSlot) << "cycles\n";
  ASSERT_EQ(OPNFIL(f.units, plot, kOutputSlot, 0), 0);
  EXPECT_EQ(read_file(cycles), "cycles\n");
  *f.units.output(kOutputSlot) << "new\n" << std::flush;
  EXPECT_EQ(read_file(plot), "old\n");
  EXPECT_EQ(files_in(f.dir), 3U);  // plot, cycles and the new plot
  ASSERT_EQ(OPNFIL(f.units, f.dir.path().string() + "/./cycles", kPrintUnit, 0), 0);
  ASSERT_EQ(OPNFIL(f.units, cycles, kSeriesUnit, 1), 0);
  EXPECT_EQ(f.units.identity(kSeriesUnit), f.units.identity(kPrintUnit));
  EXPECT_NE(f.units.identity(kSeriesUnit), f.units.identity(kOutputSlot));
  EXPECT_EQ(f.units.output(kSeriesUnit), nullptr);  // inputs are never written
  EXPECT_EQ(OPNFIL(f.units, cycles, kCurveUnit, 0), -1);
  EXPECT_EQ(f.units.last_opnfil_error, kReadByRun);
  EXPECT_EQ(f.units.close(kOutputSlot), 0);
  EXPECT_EQ(read_file(plot), "new\n");
  EXPECT_EQ(files_in(f.dir), 2U);
  // A name is never cut at a NUL byte.
  EXPECT_EQ(OPNFIL(f.units, f.dir.file("a") + std::string("\0b", 2), kPrintUnit, 0), -1);
  EXPECT_EQ(files_in(f.dir), 2U);
}

// write_whole goes through links and keeps the file's permissions (a new
// file: 0666 less the umask); no text still makes or empties the file; a
// FIFO is written as it is; a failed write (over a file-size limit) leaves
// the old file, and never a temporary file.
TEST(write_whole, ReplacesWholeOrNotAtAll) {
  TempDir dir;
  const std::string target = dir.write("target", "old\n"), link = dir.file("link"),
                    fresh = dir.file("fresh"), fifo = dir.file("fifo");
  fs::permissions(target, fs::perms(0604));
  fs::create_symlink(target, link);
  const mode_t old_mask = ::umask(027);
  EXPECT_EQ(write_whole(link, "new\n"), 0);
  EXPECT_EQ(write_whole(fresh, ""), 0);
  ::umask(old_mask);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(read_file(target), "new\n");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0604));
  EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0640));
  EXPECT_EQ(write_whole(dir.file("none/file"), "x"), ENOENT);

  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  EXPECT_EQ(write_whole(fifo, "piped"), 0);
  std::string piped(8, ' ');
  EXPECT_EQ(::read(reader, piped.data(), piped.size()), 5);  // a file would hold nothing
  ::close(reader);

  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4, 4};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(write_whole(target, "too long") == EFBIG ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read_file(target), "new\n");
  EXPECT_EQ(write_whole(target, ""), 0);
  EXPECT_EQ(read_file(target), "");
  EXPECT_EQ(files_in(dir), 4U);  // target, link, fresh, fifo
}

}  // namespace
}  // namespace skaldur::files
