#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "files/unit_table.hpp"
#include "textio/freeform.hpp"

namespace skaldur::dialogue {

// The questions of the dialogue, numbered as the program counts them.
struct Question {
  int number;
  std::string_view prompt;  // 37 characters, ending in ":  "
};

inline constexpr Question kQ1{1, "Give output file for misc print   :  "};
inline constexpr Question kQ2{2, "Give file containing Time Series  :  "};
inline constexpr Question kQ3{3, "First Time        / whole series/ :  "};
inline constexpr Question kQ4{4, "Last Time         / whole series/ :  "};
inline constexpr Question kQ5{5, "Stress in Pa or MPa? /Pa/         :  "};
inline constexpr Question kQ6{6, "Stress Concentration Factor /1.0/ :  "};
inline constexpr Question kQ7{7, "Thickness (def is Tref on SN-curv):  "};
inline constexpr Question kQ8{8, "Number of Blocks     /500/        :  "};
inline constexpr Question kQ9{9, "Use the predefined SN-Curves? /y/ :  "};
inline constexpr Question kQ10{10, "Specify SN-Curve number           :  "};
inline constexpr Question kQ11{11, "Give file containing SN Curve     :  "};
inline constexpr Question kQ12{12, "Specify Column to Use (def: col 2):  "};
inline constexpr Question kQ13{13, "Cycle Histogram plot data?    /n/ :  "};
inline constexpr Question kQ14{14, "Specify File name for plot        :  "};
inline constexpr Question kQ15{15, "Store Cycle Histogram Data    /n/ :  "};
inline constexpr Question kQ16{16, "Specify File for print of Cyc/Year:  "};

// Console lines written before a file question is asked again.
inline constexpr std::string_view kCannotOpenFile = " Cannot Open file :";
inline constexpr std::string_view kNonexistingFile = " Nonexisting file :";
inline constexpr std::string_view kCannotOpen = " Cannot open      :";

// The longest answer line taken, line end not counted: far more than any
// name or number needs, so that a longer line (an endless stream without line
// ends, such as /dev/zero) is an input error instead of a wait without end.
inline constexpr std::size_t kLongestAnswer = std::size_t{1} << 20;

// Asks the questions on the console units of a unit table and takes the
// answers. An answer that cannot be read, an answer line longer than
// kLongestAnswer, or the console input ending while a question waits, ends the
// run (RunEnd with kExitBadInput). Why a named file was refused goes to
// `err`, unless it simply does not exist; so do notes on answers that are
// taken but may not mean what they say, one "skaldur: note: " line each.
class Dialogue {
 public:
  Dialogue(files::UnitTable& units, std::ostream& err);

  std::ostream& out() { return out_; }

  // Writes one note line: "skaldur: note: " and `text`.
  void note(std::string_view text);

  // Writes the prompt and reads one answer line, cut to `width` characters.
  std::string ask(const Question& q, std::size_t width = 10000);

  // Asks for a file name until it opens on `unit` with OPNFIL's `mode`,
  // writing `failure` and the name padded to 256 characters after each
  // failed attempt. Returns the name as read (256 characters at most); a
  // longer name is refused.
  std::string ask_file(const Question& q, int unit, int mode, std::string_view failure);

  // Asks for an output file until it opens on `unit` and is none of the
  // files connected to `protected_units`; a refused name is reported with
  // " Cannot open      :" and the name. The file keeps its content until
  // it is first written.
  std::string ask_output_file(const Question& q, int unit, std::span<const int> protected_units);

  // An answer whose first character is a blank (or that is empty) takes the
  // default; otherwise its first value is read in free form. A value written
  // with a decimal comma ("1,5") reads as its whole part, the comma
  // separating values: that is noted.
  double ask_real(const Question& q, double default_value);
  std::int32_t ask_whole(const Question& q, std::int32_t default_value);

  // The first character of the answer, or a blank for an empty answer.
  char ask_letter(const Question& q);

  // Writes the prompt and reads a whole number in free form straight from
  // the console: lines of blanks give no number, so the next line is read
  // without a new prompt.
  std::int32_t ask_whole_across_lines(const Question& q);

 private:
  std::string read_line(const Question& q, std::size_t width);
  // The empty test, then `read` on a FreeFormReader of the answer.
  template <class T, class Read>
  T ask_number(const Question& q, T default_value, Read read);
  void note_refused(const Question& q, std::string_view name);
  [[noreturn]] void conversion_error(const Question& q, std::string_view answer,
                                     std::string_view value, std::string_view why);
  // Notes an answer whose first value, read by `reader`, is a whole number
  // followed by a comma and a digit.
  void note_decimal_comma(const Question& q, std::string_view answer,
                          const textio::FreeFormReader& reader);

  files::UnitTable& units_;
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  bool answered_ = false;  // an answer line was read
};

}  // namespace skaldur::dialogue
