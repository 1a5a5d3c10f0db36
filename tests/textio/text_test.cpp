#include "textio/text.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace skaldur::textio {
namespace {

TEST(LENTRM, Rows) {
  const struct {
    std::string text;
    int expected;
  } rows[] = {
      {"", 0},
      {std::string(256, ' '), 0},
      {"AB" + std::string(254, ' '), 2},
      {std::string(9999, ' ') + "X", 10000},
      {"  x  y ", 6},
      {"\t", 1},  // only the blank is a fill character
  };
  for (const auto& row : rows)
    EXPECT_EQ(LENTRM(row.text), row.expected) << '"' << row.text << '"';
}

TEST(IFSTNB, Rows) {
  EXPECT_EQ(IFSTNB("   X"), 4);
  EXPECT_EQ(IFSTNB("X"), 1);
  EXPECT_EQ(IFSTNB("    "), 0);
  EXPECT_EQ(IFSTNB(""), 0);
}

TEST(NOTDIG, Rows) {
  EXPECT_FALSE(NOTDIG("0abc"));
  EXPECT_FALSE(NOTDIG("9"));
  EXPECT_TRUE(NOTDIG(" 9"));
  EXPECT_TRUE(NOTDIG("a1"));
  EXPECT_TRUE(NOTDIG(""));
}

TEST(PROMPT, WritesBlankAndAtMost80CharactersWithoutLineEnd) {
  std::ostringstream out;
  PROMPT(out, "Give output file for misc print   :  ");
  EXPECT_EQ(out.str(), " Give output file for misc print   :  ");

  std::ostringstream long_out;
  const std::string hundred = std::string(79, 'a') + "bcdefghijklmnopqrstuv";
  PROMPT(long_out, hundred);
  EXPECT_EQ(long_out.str(), ' ' + hundred.substr(0, 80));
}

TEST(Padded, CutsAndPads) {
  EXPECT_EQ(padded("abc", 5), "abc  ");
  EXPECT_EQ(padded("abcdef", 3), "abc");
  EXPECT_EQ(trimmed(" a b  "), " a b");
}

}  // namespace
}  // namespace skaldur::textio
