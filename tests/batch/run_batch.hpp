#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

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

}  // namespace skaldur::testing
