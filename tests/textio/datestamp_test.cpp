#include "textio/datestamp.hpp"

#include <gtest/gtest.h>

namespace skaldur::textio {
namespace {

TEST(DATSTMP, Modes) {
  const ClockReading clock{2026, 12, 5, 18, 8, 43};
  const struct {
    int mode;
    const char* expected;
  } rows[] = {
      {1, " Date : 2026               "},  {2, " Date : 2026-12            "},
      {3, " Date : 2026-12-05         "},  {4, " Date : 2026-12-05 18      "},
      {5, " Date : 2026-12-05 18:08   "},  {6, " Date : 2026-12-05 18:08:43"},
      {0, " Date : 2026-12-05 18:08:43"},  {7, " Date : 2026-12-05 18:08:43"},
      {-3, " Date : 2026-12-05 18:08:43"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DATSTMP(clock, 27, row.mode), row.expected) << row.mode;
  }
}

TEST(DATSTMP, LeadingZerosAndCenturies) {
  EXPECT_EQ(DATSTMP({2006, 1, 5, 7, 3, 9}, 27, 6), " Date : 2006-01-05 07:03:09");
  EXPECT_EQ(DATSTMP({99, 1, 5, 7, 3, 9}, 27, 6), " Date : 1999-01-05 07:03:09");
  EXPECT_EQ(DATSTMP({1000, 1, 5, 0, 0, 0}, 27, 6), " Date : 1000-01-05 00:00:00");
}

TEST(DATSTMP, ResultLengthCutsAndPads) {
  const ClockReading clock{2026, 12, 5, 18, 8, 43};
  EXPECT_EQ(DATSTMP(clock, 18, 6), " Date : 2026-12-05");
  EXPECT_EQ(DATSTMP(clock, 40, 6), " Date : 2026-12-05 18:08:43" + std::string(13, ' '));
  EXPECT_EQ(DATSTMP(clock, 0, 6), "");
}

TEST(GETDATE, ReadsAPlausibleLocalTime) {
  const ClockReading now = GETDATE();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
  EXPECT_TRUE(now.minute >= 0 && now.minute <= 59);
  EXPECT_TRUE(now.second >= 0 && now.second <= 60);
}

}  // namespace
}  // namespace skaldur::textio
