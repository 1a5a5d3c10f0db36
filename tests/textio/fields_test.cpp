#include "textio/fields.hpp"

#include <gtest/gtest.h>

#include <string>

namespace skaldur::textio {
namespace {

TEST(FLDTYP, Rows) {
  const struct {
    std::string field;
    int type;
    double value;
  } rows[] = {
      {"42", kInteger, 42.0},
      {"007", kInteger, 7.0},
      {"99999999999", kInteger, 99999999999.0},
      {"1733500000000", kInteger, 1733500000000.0},
      {"-5", kReal, -5.0},
      {"+1.5E3", kReal, 1500.0},
      {"3.25", kReal, 3.25},
      {"1E5", kReal, 100000.0},
      {"1E-2", kReal, 0.01},
      {"1.5e3", kReal, 1500.0},
      {"1.5,2", kReal, 1.5},
      {"1.5\t2.5", kReal, 1.5},
      {"1EX", kWord, 0.0},
      {"1E", kWord, 0.0},
      {"1e5", kWord, 0.0},
      {".5", kWord, 0.0},
      {"12abc", kWord, 0.0},
      {"abc", kWord, 0.0},
      {"10:30", kWord, 0.0},
      {"  42  ", kInteger, 42.0},
      {"", kNoField, 0.0},
      {"    ", kNoField, 0.0},
  };
  for (const auto& row : rows) {
    const auto got = FLDTYP(row.field, static_cast<int>(row.field.size()));
    ASSERT_TRUE(got.ok()) << row.field;
    EXPECT_EQ(got->type, row.type) << row.field;
    EXPECT_EQ(got->value, row.value) << row.field;
  }
}

TEST(FLDTYP, LengthZeroIsNoField) {
  const auto got = FLDTYP("42", 0);
  ASSERT_TRUE(got.ok());
  EXPECT_EQ(got->type, kNoField);
  EXPECT_EQ(got->value, 0.0);
}

TEST(FLDTYP, NumbersThatDoNotConvertFail) {
  for (const char* field : {"1.2.3", "-x", "+", "1.5x/2", "-inf", "1E+", "3*1.0", "1.0e999"}) {
    EXPECT_FALSE(FLDTYP(field, static_cast<int>(std::string_view(field).size())).ok()) << field;
  }
}

TEST(FLDTYP, LooksAtTheFirst80CharactersOnly) {
  // 80 digits and then a letter: the letter is beyond the examined part.
  const std::string field = std::string(80, '1') + "x";
  const auto got = FLDTYP(field, static_cast<int>(field.size()));
  ASSERT_TRUE(got.ok());
  EXPECT_EQ(got->type, kInteger);
}

TEST(LINFLD, Rows) {
  struct Expect {
    int type;
    double value;
    std::string word;
  };
  const struct {
    std::string line;
    std::vector<Expect> fields;
  } rows[] = {
      {"   0.0   1.5  2.5   ", {{kReal, 0.0, ""}, {kReal, 1.5, ""}, {kReal, 2.5, ""}}},
      {"0.0,1.5,2.5", {{kReal, 0.0, ""}}},
      {"t 12 x3", {{kWord, 0.0, "t"}, {kInteger, 12.0, ""}, {kWord, 0.0, "x3"}}},
      {"1 22", {{kInteger, 1.0, ""}, {kInteger, 22.0, ""}}},
      {"1.5\t2.5", {{kReal, 1.5, ""}}},
      {"", {}},
      {"      ", {}},
  };
  for (const auto& row : rows) {
    const auto got = LINFLD(row.line);
    ASSERT_TRUE(got.ok()) << row.line;
    ASSERT_EQ(got->size(), row.fields.size()) << row.line;
    for (std::size_t k = 0; k < row.fields.size(); ++k) {
      EXPECT_EQ((*got)[k].type, row.fields[k].type) << row.line << " field " << k + 1;
      EXPECT_EQ((*got)[k].value, row.fields[k].value) << row.line << " field " << k + 1;
      EXPECT_EQ((*got)[k].word, row.fields[k].word) << row.line << " field " << k + 1;
    }
  }
}

TEST(LINFLD, LongWordKeepsItsFirst80Characters) {
  const std::string word = std::string(85, 'w');
  const auto got = LINFLD("1 " + word);
  ASSERT_TRUE(got.ok());
  ASSERT_EQ(got->size(), 2u);
  EXPECT_EQ((*got)[1].word, std::string(80, 'w'));
}

TEST(LINFLD, ManyFieldsHaveNoFixedLimit) {
  std::string line;
  for (int i = 0; i < 2000; ++i)
    line += std::to_string(i) + " ";
  const auto got = LINFLD(line);
  ASSERT_TRUE(got.ok());
  ASSERT_EQ(got->size(), 2000u);
  EXPECT_EQ(got->back().value, 1999.0);
}

TEST(LINFLD, FailsOnAFieldThatDoesNotConvert) {
  EXPECT_FALSE(LINFLD("0.0 1.5 -x").ok());
}

}  // namespace
}  // namespace skaldur::textio
