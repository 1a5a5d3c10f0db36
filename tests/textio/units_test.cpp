#include "textio/units.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "support/temp_dir.hpp"

namespace skaldur::textio {
namespace {

using skaldur::testing::read_file;
using skaldur::testing::TempDir;

class OPNUNTTest : public ::testing::Test {
 protected:
  std::istringstream in;
  std::ostringstream console;
  UnitTable units{in, console};
  TempDir dir;
};

TEST_F(OPNUNTTest, IllegalUnitsAndRecordLengths) {
  const struct {
    int unit;
    int access;
    int record_length;
    int expected;
    const char* report;
  } rows[] = {
      {0, 0, 0, kIllegalUnit,
       "\n\n\n *** ERROR DURING OPENING OF FILE UNIT    0\n     ILLEGAL FILE UNIT\n"},
      {100, 0, 0, kIllegalUnit,
       "\n\n\n *** ERROR DURING OPENING OF FILE UNIT  100\n     ILLEGAL FILE UNIT\n"},
      {30, 20, 0, kIllegalRecordLength,
       "\n\n\n *** ERROR DURING OPENING OF FILE UNIT   30\n     ILLEGAL RECORD LENGTH =    0\n"},
      {30, 20, -7, kIllegalRecordLength,
       "\n\n\n *** ERROR DURING OPENING OF FILE UNIT   30\n     ILLEGAL RECORD LENGTH =   -7\n"},
  };
  for (const auto& row : rows) {
    console.str("");
    EXPECT_EQ(OPNUNT(units, dir.file("x"), row.unit, 0, row.access, 0, 0, row.record_length, 1,
                     kConsoleOut),
              row.expected);
    EXPECT_EQ(console.str(), row.report);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x")));
  }
}

TEST_F(OPNUNTTest, UnitsOneAndNinetyNineAreLegal) {
  EXPECT_EQ(OPNUNT(units, dir.file("a"), 1, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(OPNUNT(units, dir.file("b"), 99, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(units.is_connected(1));
  EXPECT_TRUE(units.is_connected(99));
}

TEST_F(OPNUNTTest, NoticeDescribesTheSettings) {
  const struct {
    int status, access, form, blank, record_length;
    const char* lines;
  } rows[] = {
      {0, 0, 0, 0, 0,
       "          STATUS =UNKNOWN\n          ACCESS =SEQUENTIAL\n          FORM   =FORMATTED  \n"
       "          LENGTH =    0 WORDS/BYTES PER RECORD (SECTOR)\n          BLANK  =NULL\n"},
      {0, 20, 1, 1, 10,
       "          STATUS =UNKNOWN\n          ACCESS =DIRECT    \n          FORM   =FORMATTED  \n"
       "          LENGTH =   40 WORDS/BYTES PER RECORD (SECTOR)\n          BLANK  =ZERO\n"},
      {0, 20, 2, 1, 10,
       "          STATUS =UNKNOWN\n          ACCESS =DIRECT    \n          FORM   =UNFORMATTED\n"
       "          LENGTH =   10 WORDS/BYTES PER RECORD (SECTOR)\n"},
      {0, 30, 0, 0, 0,
       "          STATUS =UNKNOWN\n          ACCESS =DIRECT    \n          FORM   =UNFORMATTED\n"
       "          LENGTH =  128 WORDS/BYTES PER RECORD (SECTOR)\n"},
      {3, 30, 1, 0, 0,
       "          STATUS =NEW    \n          ACCESS =DIRECT    \n          FORM   =FORMATTED  \n"
       "          LENGTH =  128 WORDS/BYTES PER RECORD (SECTOR)\n          BLANK  =NULL\n"},
  };
  int n = 0;
  for (const auto& row : rows) {
    const std::string name = dir.file("notice" + std::to_string(n++));
    console.str("");
    ASSERT_EQ(OPNUNT(units, name, 30, row.status, row.access, row.form, row.blank,
                     row.record_length, 1, kConsoleOut),
              0);
    EXPECT_EQ(console.str(), "\n\n\n     FILE  " + name +
                                 "\n     IS OPENED ON UNIT NO.  30\n     FILE CHARACTERISTICS :\n" +
                                 row.lines);
  }
}

TEST_F(OPNUNTTest, ScratchFileIgnoresTheName) {
  ASSERT_EQ(OPNUNT(units, "", 40, 4, 0, 0, 0, 0, 1, kConsoleOut), 0);
  EXPECT_EQ(console.str(),
            "\n\n\n     A SCRATCH FILE IS OPENED ON UNIT NO.  40\n     FILE CHARACTERISTICS :\n"
            "          STATUS =SCRATCH\n          ACCESS =SEQUENTIAL\n"
            "          FORM   =FORMATTED  \n"
            "          LENGTH =    0 WORDS/BYTES PER RECORD (SECTOR)\n          BLANK  =NULL\n");
  ASSERT_NE(units.output(40), nullptr);
  *units.output(40) << "scratch\n";
  EXPECT_EQ(units.close(40), 0);
}

TEST_F(OPNUNTTest, FailedOpenReportsTheSystemErrorNumber) {
  const int code = OPNUNT(units, dir.file("missing"), 21, 2, 0, 0, 0, 0, 0, kConsoleOut);
  EXPECT_EQ(code, -ENOENT);
  EXPECT_EQ(console.str(), "\n\n\n *** ERROR DURING OPENING OF FILE UNIT   21\n     ERROR CODE =" +
                               std::string(ENOENT < 10 ? "    " : "   ") + std::to_string(ENOENT) +
                               "  (SYSTEM PARAMETER)\n");
  EXPECT_FALSE(units.is_connected(21));
}

TEST_F(OPNUNTTest, NewStatusRefusesAnExistingFile) {
  const std::string name = dir.write("exists", "x");
  EXPECT_EQ(OPNUNT(units, name, 30, 3, 0, 0, 0, 0, 0, 0), -EEXIST);
}

TEST_F(OPNUNTTest, SilentWithoutMessageUnit) {
  EXPECT_EQ(OPNUNT(units, "", 21, 2, 0, 0, 0, 0, 1, -1), -ENOENT);
  EXPECT_EQ(OPNUNT(units, "x", 0, 2, 0, 0, 0, 0, 1, 0), kIllegalUnit);
  EXPECT_EQ(console.str(), "");
}

class OPNFILTest : public OPNUNTTest {};

TEST_F(OPNFILTest, ModesDecideWhetherTheFileMustExist) {
  const std::string missing = dir.file("missing");
  EXPECT_EQ(OPNFIL(units, missing, 21, 1), -1);
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_EQ(OPNFIL(units, missing, 21, -1), -1);  // repeats "must exist"
  EXPECT_EQ(OPNFIL(units, missing, 20, 0), 0);
  EXPECT_TRUE(std::filesystem::exists(missing));
  EXPECT_EQ(console.str(), "");
}

TEST_F(OPNFILTest, NegativeModeFirstCreates) {
  const std::string name = dir.file("first");
  EXPECT_EQ(OPNFIL(units, name, 20, -1), 0);
  EXPECT_TRUE(std::filesystem::exists(name));
}

TEST_F(OPNFILTest, NamesLoseTrailingBlanksOnly) {
  dir.write(" lead", "x");
  EXPECT_EQ(OPNFIL(units, dir.file(" lead") + "     ", 21, 1), 0);
  EXPECT_EQ(OPNFIL(units, "", 21, 1), -1);
  EXPECT_EQ(OPNFIL(units, "      ", 20, 0), -1);
  EXPECT_EQ(OPNFIL(units, dir.path().string(), 21, 1), -1);  // a folder is no file
  EXPECT_EQ(OPNFIL(units, dir.path().string(), 20, 0), -1);
  EXPECT_EQ(OPNFIL(units, std::string("a\0b", 3), 20, 0), -1);
}

TEST_F(OPNFILTest, OutputKeepsOldContentUntilTheFirstWrite) {
  const std::string name = dir.write("print", "old content\n");
  ASSERT_EQ(OPNFIL(units, name, kPrintUnit, 0), 0);
  EXPECT_EQ(units.close(kPrintUnit), 0);
  EXPECT_EQ(read_file(name), "old content\n");

  ASSERT_EQ(OPNFIL(units, name, kPrintUnit, 0), 0);
  *units.output(kPrintUnit) << "new\n";
  EXPECT_EQ(units.close(kPrintUnit), 0);
  EXPECT_EQ(read_file(name), "new\n");
}

TEST_F(OPNFILTest, ReopeningAUnitClosesTheFirstFile) {
  ASSERT_EQ(OPNFIL(units, dir.file("plot"), kOutputSlot, 0), 0);
  *units.output(kOutputSlot) << "plot\n";
  ASSERT_EQ(OPNFIL(units, dir.file("cycles"), kOutputSlot, 0), 0);
  *units.output(kOutputSlot) << "cycles\n";
  EXPECT_EQ(units.close(kOutputSlot), 0);
  EXPECT_EQ(read_file(dir.file("plot")), "plot\n");
  EXPECT_EQ(read_file(dir.file("cycles")), "cycles\n");
}

TEST_F(OPNFILTest, SameFileUnderTwoNamesHasOneIdentity) {
  dir.write("series", "0 1\n");
  ASSERT_EQ(OPNFIL(units, dir.file("series"), kSeriesUnit, 1), 0);
  ASSERT_EQ(OPNFIL(units, dir.path().string() + "/./series", kPrintUnit, 0), 0);
  ASSERT_EQ(OPNFIL(units, dir.file("other"), kOutputSlot, 0), 0);
  EXPECT_EQ(units.identity(kSeriesUnit), units.identity(kPrintUnit));
  EXPECT_NE(units.identity(kSeriesUnit), units.identity(kOutputSlot));
  EXPECT_EQ(units.output(kSeriesUnit), nullptr);  // inputs are never written
}

TEST_F(OPNFILTest, WriteFailureIsKept) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ASSERT_EQ(OPNFIL(units, "/dev/full", kPrintUnit, 0), 0);
  *units.output(kPrintUnit) << "lost\n";
  EXPECT_EQ(units.close(kPrintUnit), -ENOSPC);
  ASSERT_TRUE(units.write_failure().has_value());
  EXPECT_EQ(units.write_failure()->name, "/dev/full");
  EXPECT_EQ(units.write_failure()->error, ENOSPC);
}

}  // namespace
}  // namespace skaldur::textio
