#include "textio/units.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/temp_dir.hpp"
#include "textio/lines.hpp"

namespace skaldur::textio {
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

using Lines = std::vector<std::string>;

Lines read_all(const std::string& content, std::size_t block) {
  TempDir dir;
  const int fd = ::open(dir.write("lines", content).c_str(), O_RDONLY);
  LineReader reader(fd, 10, block);
  Lines lines;
  std::string_view line;
  while (reader.next(line) == LineReader::Status::line) {
    lines.emplace_back(line);
    if (reader.after_cut() != '\n') lines.back() += "|" + std::string(1, reader.after_cut());
    EXPECT_EQ(reader.line_number(), static_cast<std::int64_t>(lines.size()));
  }
  ::close(fd);
  return lines;
}

TEST(LineReader, Rows) {
  const std::string long_line(50000, 'x');
  const std::pair<std::string, Lines> rows[] = {
      {"", {}},
      {"a\r\n\nb", {"a", "", "b"}},
      {"a\rb\n", {"a\rb"}},
      {"a\r", {"a"}},
      {"0123456789abc\r\nx\n", {"0123456789|a", "x"}},
      {"0123456789\r\n0123456789\r\r\n", {"0123456789", "0123456789|\r"}},
      {"012345678\r" + long_line + "\n", {"012345678\r|x"}},  // a CR at the cut is no line end
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
      {"first\n" + long_line + "\nlast\n", {"first", "xxxxxxxxxx|x", "last"}},
      {long_line, {"xxxxxxxxxx|x"}},
      // A byte-order mark at the start of the file only is skipped.
      {"\xEF\xBB\xBF"
       "0123456789abc\n\xEF\xBB\xBFx",
       {"0123456789|a", "\xEF\xBB\xBFx"}},
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBBx\n", {"\xEF\xBBx"}},
  };
  // Every block size, down to the smallest, gives the same lines of at most
  // 10 characters; lines longer than the block are cut and the rest skipped,
  // and what the cut leaves out starts with the same character.
  for (const auto& [content, expected] : rows) {
    for (std::size_t block : {1u, 3u, 12u, 4096u, 1u << 20})
      EXPECT_EQ(read_all(content, block), expected) << content.substr(0, 20) << " block " << block;
  }
}

}  // namespace
}  // namespace skaldur::textio
