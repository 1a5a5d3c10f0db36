// Fuzz target: the whole run, dialogue included. The input is split at its
// first two form feeds into the console answers, the contents of a time-series
// file and the contents of an SN-curve definition file. The two files are
// written into a fresh folder, which is the working folder during the run, so
// that every file the answers name is made there.
//
// Answer lines that name files: "@s" stands for the time-series file and "@d"
// for the definition file, the rest of the line following the name. Any other
// line is taken as it is, except that it cannot leave the folder: a leading
// '/' becomes "./" and every ".." becomes "._". (Outside the folder lie
// endless devices such as /dev/zero, which a run would read for ever.)
//
// Either file may serve as an output when the answers name it so, but a file
// the run has read must never be written: both are watched with inotify.
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/program.hpp"
#include "fuzz/support.hpp"

namespace {

namespace fs = std::filesystem;
using skaldur::fuzz::check;
using skaldur::fuzz::take_part;
using skaldur::fuzz::WorkFolder;
using skaldur::fuzz::write_file;

constexpr std::string_view kSeriesName = "series.ts";
constexpr std::string_view kCurveName = "curve.sn";

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

// Records whether the watched files are read and whether they are written.
class FileWatch {
 public:
  FileWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) { check(fd_ >= 0, "inotify_init1"); }
  ~FileWatch() { ::close(fd_); }
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  int add(const fs::path& path) {
    const int wd = ::inotify_add_watch(fd_, path.c_str(), IN_ACCESS | IN_MODIFY);
    check(wd >= 0, "inotify_add_watch");
    return wd;
  }

  // Collects the events so far; read(wd) and written(wd) tell them.
  void collect() {
    alignas(inotify_event) char buffer[4096];
    while (true) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        check(!(event->mask & IN_Q_OVERFLOW), "the inotify queue overflowed");
        if (event->mask & IN_ACCESS) read_.push_back(event->wd);
        if (event->mask & IN_MODIFY) written_.push_back(event->wd);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }
  bool read(int wd) const { return std::find(read_.begin(), read_.end(), wd) != read_.end(); }
  bool written(int wd) const {
    return std::find(written_.begin(), written_.end(), wd) != written_.end();
  }

 private:
  int fd_;
  std::vector<int> read_;
  std::vector<int> written_;
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

  FileWatch watch;
  const int series_watch = watch.add(folder.file(kSeriesName));
  const int curve_watch = watch.add(folder.file(kCurveName));

  std::istringstream in(console_input(answers));
  std::ostringstream out;
  std::ostringstream err;
  const int status = skaldur::dialogue::DMG01(in, out, err);

  check(status == 0 || status == 1 || status == 2, "an exit status other than 0, 1 or 2");
  // Notes (on answers taken at their word) may come first, one line each;
  // then nothing at an ordinary end, or one message line at an early one.
  // Every line is plain: printable ASCII.
  std::string message = err.str();
  check(std::none_of(message.begin(), message.end(),
                     [](char c) {
                       const auto u = static_cast<unsigned char>(c);
                       return c != '\n' && (u < 32 || u >= 127);
                     }),
        "a byte that is not printable ASCII on standard error");
  std::size_t notes = 0;
  while (message.compare(notes, 15, "skaldur: note: ") == 0) {
    const auto end = message.find('\n', notes);
    check(end != std::string::npos, "a note without its line end");
    notes = end + 1;
  }
  message.erase(0, notes);
  if (status == 0) {
    check(message.empty(), "an ordinary end with a message");
    check(out.str().find(" Computed Damage per Year      :") != std::string::npos,
          "an ordinary end without the result lines");
  } else {
    check(count_lines(message) == 1 && message.back() == '\n',
          "an early end without exactly one message line");
  }
  watch.collect();
  check(!(watch.read(series_watch) && watch.written(series_watch)),
        "the time-series file was read and written");
  check(!(watch.read(curve_watch) && watch.written(curve_watch)),
        "the definition file was read and written");
  return 0;
}
