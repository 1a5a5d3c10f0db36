#include "textio/fields.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace skaldur::textio {
namespace {

// The series reader counts the fields of its first line: only blanks separate
// them. A number that does not convert is no field.
TEST(LINFLD, OnlyBlanksSeparateFields) {
  const std::pair<std::string, std::size_t> rows[] = {
      {"   0.0   1.5  2.5   ", 3},
      {"0.0,1.5,2.5", 1},
      {"t 12 x3 1E5", 4},
      {"1.5\t2.5", 1},
      {"      ", 0},
  };
  for (const auto& [line, count] : rows)
    EXPECT_EQ(LINFLD(line)->size(), count) << line.substr(0, 30);
  for (std::string_view line : {"0.0 1.5 -x", "0 1.2.3", "0 +", "0 1.0e999"})
    EXPECT_FALSE(LINFLD(line).ok()) << line;
}

}  // namespace
}  // namespace skaldur::textio
