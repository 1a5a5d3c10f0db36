#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur::testing {

// What a run of skaldur-batch ended with: its exit status and what it
// wrote to the console.
struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs skaldur-batch with `args` in `dir` (a minute at most); the console
// goes to console.out and console.err there.
inline Outcome run_batch(const TempDir& dir, const std::string& args) {
  const std::string command = "cd '" + dir.path().string() +
                              "' && timeout 60 '" SKALDUR_BATCH_EXE "' " + args +
                              " > console.out 2> console.err";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir.file("console.out")),
          read_file(dir.file("console.err"))};
}

// The rows of a CSV file split at every comma (the tests' files quote no field).
using Table = std::vector<std::vector<std::string>>;
inline Table read_csv(const std::string& path) {
  Table rows;
  std::istringstream in(read_file(path));
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line + ",");
    rows.emplace_back();
    for (std::string field; std::getline(fields, field, ',');)
      rows.back().push_back(field);
  }
  return rows;
}

inline double number(const std::string& text) {
  return std::strtod(text.c_str(), nullptr);
}

}  // namespace skaldur::testing
