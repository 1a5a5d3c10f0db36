// Fuzz target: the whole run, dialogue included. The input is split at its
// first two form feeds into the console answers, the contents of a time-series
// file and the contents of an SN-curve definition file. The two files are
// written into a fresh folder, which is the working folder during the run, so
// that every file the answers name is made there.
//
// Answer lines that name files: "@s" stands for the time-series file, "@d" for
// the definition file and "@f" for /dev/full, the rest of the line following
// the name. Any other line is taken as it is, except that it cannot leave the
// folder: a leading '/' becomes "./" and every ".." becomes "._".
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "driver/dmg01.hpp"
#include "fuzz/support.hpp"

namespace {

namespace fs = std::filesystem;
using skaldur::fuzz::check;

constexpr std::string_view kSeriesName = "series.ts";
constexpr std::string_view kCurveName = "curve.sn";

// Everything up to the next form feed (or the end), which is consumed.
std::string_view take_part(std::string_view& input) {
  const auto end = input.find('\f');
  const std::string_view part = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return part;
}

std::string confined(std::string_view text) {
  std::string line(text);
  if (!line.empty() && line.front() == '/') line.insert(0, ".");
  for (auto at = line.find(".."); at != std::string::npos; at = line.find("..", at))
    line[at + 1] = '_';
  return line;
}

std::string answer_line(std::string_view line) {
  if (line.starts_with("@s")) return std::string(kSeriesName) + confined(line.substr(2));
  if (line.starts_with("@d")) return std::string(kCurveName) + confined(line.substr(2));
  if (line.starts_with("@f")) return "/dev/full" + confined(line.substr(2));
  return confined(line);
}

std::string console_input(std::string_view answers) {
  std::string input;
  while (!answers.empty()) {
    const auto end = answers.find('\n');
    input += answer_line(answers.substr(0, end));
    if (end == std::string_view::npos) break;
    input += '\n';
    answers.remove_prefix(end + 1);
  }
  return input;
}

void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  check(static_cast<bool>(out), "cannot write an input file");
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder that is the working folder while it lives.
class WorkFolder {
 public:
  WorkFolder() : previous_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "skaldur-fuzz-XXXXXX").string();
    check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
    path_ = pattern;
    fs::current_path(path_);
  }
  ~WorkFolder() {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  fs::path file(std::string_view name) const { return path_ / name; }

 private:
  fs::path previous_;
  fs::path path_;
};

std::size_t count_lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = skaldur::fuzz::as_text(data, size);
  const std::string_view answers = take_part(input);
  const std::string_view series = take_part(input);
  const std::string_view curve = input;

  WorkFolder folder;
  write_file(folder.file(kSeriesName), series);
  write_file(folder.file(kCurveName), curve);

  std::istringstream in(console_input(answers));
  std::ostringstream out;
  std::ostringstream err;
  const int status = skaldur::driver::DMG01(in, out, err);

  check(status == 0 || status == 1 || status == 2, "an exit status other than 0, 1 or 2");
  const std::string message = err.str();
  if (status == 0) {
    check(message.empty(), "an ordinary end with a message");
    check(out.str().find(" Computed Damage per Year      :") != std::string::npos,
          "an ordinary end without the result lines");
  } else {
    check(count_lines(message) == 1 && message.back() == '\n',
          "an early end without exactly one message line");
  }
  check(read_file(folder.file(kSeriesName)) == series, "the time-series file was changed");
  check(read_file(folder.file(kCurveName)) == curve, "the definition file was changed");
  return 0;
}
