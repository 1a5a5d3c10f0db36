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

TEST(OPNUNT, ErrorCodesAndReports) {
  Files f;
  f.dir.write("exists", "x");
  const std::string head = "\n\n\n *** ERROR DURING OPENING OF FILE UNIT ";
  const std::string enoent = std::to_string(ENOENT);
  // Name, unit, status, access, record length, message unit, code, report.
  const std::tuple<const char*, int, int, int, int, int, int, std::string> rows[] = {
      {"x", 0, 0, 0, 0, kConsoleOut, kIllegalUnit, head + "   0\n     ILLEGAL FILE UNIT\n"},
      {"x", 100, 0, 0, 0, kConsoleOut, kIllegalUnit, head + " 100\n     ILLEGAL FILE UNIT\n"},
      {"x", 30, 0, 20, -7, kConsoleOut, kIllegalRecordLength,
       head + "  30\n     ILLEGAL RECORD LENGTH =   -7\n"},
      {"missing", 21, 2, 0, 0, kConsoleOut, -ENOENT,
       head + "  21\n     ERROR CODE =" + std::string(5 - enoent.size(), ' ') + enoent +
           "  (SYSTEM PARAMETER)\n"},
      {"exists", 30, 3, 0, 0, 0, -EEXIST, ""},  // NEW refuses an existing file
      {"x", 0, 2, 0, 0, 0, kIllegalUnit, ""},   // no message unit: silent
      {"one", 1, 0, 0, 0, kConsoleOut, 0, ""},
      {"ninety-nine", 99, 0, 0, 0, kConsoleOut, 0, ""},
  };
  for (const auto& [name, unit, status, access, length, message, code, report] : rows) {
    f.console.str("");
    EXPECT_EQ(OPNUNT(f.units, f.dir.file(name), unit, status, access, 0, 0, length, 0, message),
              code)
        << name << " on " << unit;
    EXPECT_EQ(f.console.str(), report) << unit;
    EXPECT_EQ(fs::exists(f.dir.file(name)), code == 0 || code == -EEXIST) << name;
    EXPECT_TRUE(unit < 1 || unit > 99 || f.units.is_connected(unit) == (code == 0)) << unit;
  }
}

// In this order: mode -1 repeats the previous call's status, UNKNOWN at first.
// Names lose their trailing blanks only.
TEST(OPNFIL, ModesAndNames) {
  Files f;
  f.dir.write(" lead", "x");
  const std::string missing = f.dir.file("missing"), folder = f.dir.path().string();
  const std::tuple<std::string, int, int, bool> rows[] = {
      {f.dir.file("first"), -1, 0, true},
      {missing, 1, -1, false},
      {missing, -1, -1, false},
      {missing, 0, 0, true},
      {f.dir.file(" lead") + "   ", 1, 0, true},
      {"      ", 0, -1, false},
      {folder, 1, -1, true},
      {folder, 0, -1, true},
      {std::string("a\0b", 3), 0, -1, false},
  };
  for (const auto& [name, mode, expected, exists] : rows) {
    EXPECT_EQ(OPNFIL(f.units, name, 21, mode), expected) << name << " mode " << mode;
    EXPECT_EQ(fs::exists(name.substr(0, name.find_last_not_of(' ') + 1)), exists) << name;
  }
  EXPECT_EQ(f.console.str(), "");
}

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
}

// A run torn down by an exception puts nothing half-written in place.
TEST(UnitTable, ExceptionKeepsOldFiles) {
  TempDir dir;
  const std::string print = dir.write("print", "old\n");
  try {
    Files f;
    ASSERT_EQ(OPNFIL(f.units, print, kPrintUnit, 0), 0);
    *f.units.output(kPrintUnit) << "half\n" << std::flush;
    throw std::bad_alloc();
  } catch (const std::bad_alloc&) {
  }
  EXPECT_EQ(read_file(print), "old\n");
  EXPECT_EQ(files_in(dir), 1U);
}

// A name is never cut: one longer than 256 characters is refused even when
// its first 256 name a file. Trailing blanks do not count.
TEST(OPNFIL, LongNamesAreRefused) {
  Files f;
  const std::string folder = f.dir.path().string() + "/";
  const std::string name = folder + std::string(kNameLength - folder.size(), 'n');
  f.dir.write(name.substr(folder.size()), "x");
  EXPECT_EQ(OPNFIL(f.units, name + "   ", kSeriesUnit, 1), 0);
  EXPECT_EQ(OPNFIL(f.units, name + "z", kPrintUnit, 0), -1);
  EXPECT_EQ(f.units.last_opnfil_error, kNameTooLong);
  EXPECT_EQ(OPNFIL(f.units, name + "z", kCurveUnit, 1), -1);
  EXPECT_EQ(files_in(f.dir), 1U);
}

// Every file whose writing failed is named once, whichever unit held it.
TEST(OPNFIL, WriteFailuresAreKept) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Files f;
  const std::string link = f.dir.file("full");
  fs::create_symlink("/dev/full", link);
  const std::pair<std::string, int> opens[] = {
      {"/dev/full", kPrintUnit}, {link, kOutputSlot}, {"/dev/full", kOutputSlot}};
  for (const auto& [name, unit] : opens) {
    ASSERT_EQ(OPNFIL(f.units, name, unit, 0), 0);
    *f.units.output(unit) << "lost\n";
    EXPECT_EQ(f.units.close(unit), -ENOSPC) << name;
  }
  const auto& failures = f.units.write_failures();
  ASSERT_EQ(failures.size(), 2U);
  EXPECT_TRUE(failures[0].name == "/dev/full" && failures[1].name == link);
  EXPECT_TRUE(failures[0].error == ENOSPC && failures[1].error == ENOSPC);
  EXPECT_TRUE(fs::is_symlink(link));
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

TEST(LineReader, ReadErrorIsReported) {
  TempDir dir;
  const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  LineReader reader(fd);
  std::string_view line;
  EXPECT_EQ(reader.next(line), LineReader::Status::error);
  EXPECT_EQ(reader.error(), EISDIR);
  ::close(fd);
}

}  // namespace
}  // namespace skaldur::textio
