#include "textio/datestamp.hpp"

#include <gtest/gtest.h>

namespace skaldur::textio {
namespace {

// The program's stamp: every part two digits with its leading zero, a
// two-digit year in the 1900s, cut or padded to the length asked.
TEST(DATSTMP, TwoDigitPartsAndLength) {
  EXPECT_EQ(DATSTMP({2006, 1, 5, 7, 3, 9}, 27, 6), " Date : 2006-01-05 07:03:09");
  EXPECT_EQ(DATSTMP({99, 1, 5, 0, 0, 0}, 18, 6), " Date : 1999-01-05");
  EXPECT_EQ(DATSTMP({2026, 12, 5, 18, 8, 43}, 30, 6), " Date : 2026-12-05 18:08:43   ");
}

}  // namespace
}  // namespace skaldur::textio
