#pragma once

#include <sstream>
#include <string>
#include <string_view>

#include "driver/dmg01.hpp"

namespace skaldur::testing {

// The console of one run of the program on scripted answers.
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline RunResult run_dialogue(std::string_view answers) {
  std::istringstream in{std::string(answers)};
  std::ostringstream out;
  std::ostringstream err;
  RunResult result;
  result.status = driver::DMG01(in, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

// The banner as the console shows it, leading blanks included, with the
// contact line's 46 characters of text replaced by '~'.
inline std::string expected_banner() {
  const std::string frame = "          ================================================";
  const std::string empty = "          -                                              -";
  std::string text = std::string(54, ' ') + "\n";
  for (int i = 0; i < 3; ++i)
    text += std::string(59, ' ') + "\n";
  for (const std::string& line :
       {frame, empty, std::string("          -          ====  S K A L D U R  ====           -"),
        empty, std::string("          -     Computes Accumulated Damage per Year     -"),
        std::string("          -     for one Stress Time Series.              -"),
        std::string("          -     Time Series is specified on one file and -"),
        std::string("          -     the SN-Data is specified on a separate   -"),
        std::string("          -     file.                                    -"),
        std::string("          -              Version 1.2/ 2006-01-05         -"), empty,
        "          -" + std::string(46, '~') + "-", frame}) {
    text += " " + line + "\n";
  }
  for (int i = 0; i < 3; ++i)
    text += std::string(59, ' ') + "\n";
  return text;
}

// The console output with the contact line's text masked as in expected_banner().
inline std::string mask_contact_line(std::string out) {
  // Line 16 is the 16th line of the output.
  std::size_t pos = 0;
  for (int i = 0; i < 15 && pos != std::string::npos; ++i)
    pos = out.find('\n', pos) + 1;
  if (pos != 0 && pos + 12 + 46 <= out.size()) out.replace(pos + 12, 46, std::string(46, '~'));
  return out;
}

inline std::string prompt(std::string_view text) {
  return " " + std::string(text);
}

}  // namespace skaldur::testing
