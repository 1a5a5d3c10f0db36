#include "textio/lines.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur::textio {
namespace {

std::vector<std::string> read_all(const std::string& content, std::size_t width,
                                  std::size_t block) {
  skaldur::testing::TempDir dir;
  const std::string path = dir.write("lines", content);
  const int fd = ::open(path.c_str(), O_RDONLY);
  LineReader reader(fd, width, block);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line) == LineReader::Status::line) {
    lines.emplace_back(line);
    EXPECT_EQ(reader.line_number(), static_cast<std::int64_t>(lines.size()));
  }
  ::close(fd);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, Rows) {
  const struct {
    std::string content;
    std::size_t width;
    Lines expected;
  } rows[] = {
      {"", 10, {}},
      {"a\nb\n", 10, {"a", "b"}},
      {"a\nb", 10, {"a", "b"}},
      {"\n\n", 10, {"", ""}},
      {"a\r\nb\r\n", 10, {"a", "b"}},
      {"a\rb\n", 10, {"a\rb"}},
      {"\r\n", 10, {""}},
      {"a\r", 10, {"a"}},
      {"0123456789abc\nx\n", 10, {"0123456789", "x"}},
      {"0123456789\r\n", 10, {"0123456789"}},
      {std::string("a\0b\n", 4), 10, {std::string("a\0b", 3)}},
  };
  // Every block size, down to the smallest, must give the same lines.
  for (const auto& row : rows) {
    for (std::size_t block : {1u, 3u, 7u, 64u, 1u << 20}) {
      EXPECT_EQ(read_all(row.content, row.width, block), row.expected)
          << '"' << row.content << "\" block " << block;
    }
  }
}

TEST(LineReader, LineLongerThanTheBlockIsCutAndSkipped) {
  const std::string long_line(50000, 'x');
  for (std::size_t block : {12u, 100u, 4096u}) {
    EXPECT_EQ(read_all("first\n" + long_line + "\nlast\n", 10, block),
              (Lines{"first", std::string(10, 'x'), "last"}))
        << block;
    EXPECT_EQ(read_all(long_line, 10, block), Lines{std::string(10, 'x')}) << block;
  }
}

TEST(LineReader, KeepsTheFirst10000CharactersByDefault) {
  const std::string line = std::string(10000, 'a') + std::string(2000, 'b');
  EXPECT_EQ(read_all(line + "\nz\n", kLineWidth, 1 << 20), (Lines{std::string(10000, 'a'), "z"}));
}

TEST(LineReader, ReadErrorIsReported) {
  skaldur::testing::TempDir dir;
  const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  LineReader reader(fd);
  std::string_view line;
  EXPECT_EQ(reader.next(line), LineReader::Status::error);
  EXPECT_EQ(reader.error(), EISDIR);
  ::close(fd);
}

}  // namespace
}  // namespace skaldur::textio
