#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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

// The names of the built-in curves, in catalogue order.
inline const std::vector<std::string>& catalogue_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const char* environment : {"AIR", "SEA_CAT", "SEA_FREE"}) {
      for (const char* detail : {"B1", "B2", "C ", "C1", "C2", "D ", "E ", "F ", "F1", "F3", "G ",
                                 "W1", "W2", "W3", "T "}) {
        list.push_back(std::string("NORSOK  ") + detail + "  " + environment);
      }
    }
    for (const char* environment : {"AIR", "SEA_CAT", "SEA_FREE"}) {
      list.push_back(std::string("DNV     D   ") + environment);
    }
    list.emplace_back("NORSOK  E     BP_SCH");
    list.emplace_back("NORSOK  E     BP_SVI");
    return list;
  }();
  return names;
}

// A curve name as the console shows it: 23 characters.
inline std::string shown_name(int n) {
  std::string name = catalogue_names()[static_cast<std::size_t>(n - 1)];
  name.resize(23, ' ');
  return name;
}

inline std::string expected_catalogue_list() {
  std::string text = std::string(54, ' ') + "\n" +
                     "           Available SN-Curves:  (Totally   50 curves) \n" +
                     std::string(59, ' ') + "\n";
  for (int i = 1; i <= 50; ++i) {
    const std::string number = std::to_string(i);
    text += std::string(3 - number.size(), ' ') + number + " : " + shown_name(i) + "\n";
  }
  return text + "   \n";
}

inline std::string selected_curve_line(int n) {
  return "\n Selected SN-Curve             : " + shown_name(n) + "\n";
}

inline std::string prompt(std::string_view text) {
  return " " + std::string(text);
}

}  // namespace skaldur::testing
