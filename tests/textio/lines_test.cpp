#include "textio/lines.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur::textio {
namespace {

using skaldur::testing::TempDir;

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

TEST(LineReader, LineEndsCutsAndLongLines) {
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
