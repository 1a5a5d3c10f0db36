#include "dialogue/dialogue.hpp"

#include <algorithm>
#include <cerrno>
#include <istream>
#include <ostream>

#include "dialogue/program.hpp"
#include "dialogue/run_end.hpp"
#include "files/opening.hpp"
#include "textio/freeform.hpp"
#include "textio/lines.hpp"
#include "textio/text.hpp"

namespace skaldur::dialogue {
namespace {

std::string question_label(const Question& q) {
  return "question " + std::to_string(q.number) + " (\"" +
         std::string(textio::trimmed(q.prompt.substr(0, q.prompt.size() - 3))) + "\")";
}

}  // namespace

Dialogue::Dialogue(files::UnitTable& units, std::ostream& err)
    : units_(units),
      in_(*units.console_input(files::kConsoleIn)),
      out_(*units.output(files::kConsoleOut)),
      err_(err) {}

void Dialogue::note(std::string_view text) {
  err_ << "skaldur: note: " << printable(text, text.size()) << '\n';
}

std::string Dialogue::read_line(const Question& q, std::size_t width) {
  // Keeps the first `width` characters (and one more, so that a carriage
  // return at the cut is not taken for a line end) and skips the rest, so
  // that a long line cannot exhaust the memory. A line longer than
  // kLongestAnswer (a carriage return before its end not counted) ends the
  // run as soon as that is certain, so that an endless line ends too.
  std::string line;
  std::streambuf* buf = in_.rdbuf();
  bool any = false;
  std::size_t length = 0;
  bool carriage_return = false;
  const auto too_long = [&] {
    out_.flush();
    throw RunEnd{kExitBadInput, "skaldur: the answer to " + question_label(q) + " is longer than " +
                                    std::to_string(kLongestAnswer) + " characters"};
  };
  // A byte-order mark before the first answer is not part of it.
  const std::size_t mark = answered_ ? 0 : textio::kByteOrderMark.size();
  answered_ = true;
  while (true) {
    const auto c = buf == nullptr ? std::char_traits<char>::eof() : buf->sbumpc();
    if (std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof())) {
      if (!any) {
        in_.setstate(std::ios::eofbit);
        out_.flush();
        throw RunEnd{kExitBadInput, "skaldur: the console input ended while " + question_label(q) +
                                        " waited for its answer"};
      }
      break;
    }
    any = true;
    const char ch = std::char_traits<char>::to_char_type(c);
    if (ch == '\n') break;
    ++length;
    carriage_return = ch == '\r';
    if (length > kLongestAnswer + mark + 1) too_long();
    if (line.size() <= width + mark) line += ch;
  }
  const std::size_t bom = mark > 0 && line.starts_with(textio::kByteOrderMark) ? mark : 0;
  if (length - bom - (carriage_return ? 1 : 0) > kLongestAnswer) too_long();
  line.erase(0, bom);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > width) line.resize(width);
  return line;
}

std::string Dialogue::ask(const Question& q, std::size_t width) {
  textio::PROMPT(out_, q.prompt);
  return read_line(q, width);
}

// Explains on the error stream why OPNFIL refused a name, unless the console
// line says enough: the file (or a folder on its way) does not exist, or it
// is a file of the run (an input, or the print file where OPNFIL saw no
// fault), which the questions have always refused silently.
void Dialogue::note_refused(const Question& q, std::string_view name) {
  const int error = units_.last_opnfil_error;
  if (error == 0 || error == -ENOENT || error == -ENOTDIR || error == files::kReadByRun) return;
  err_ << "skaldur: note: cannot open '" << printable(textio::trimmed(name)) << "' (question "
       << q.number << "): " << files::describe_open_error(error) << '\n';
}

std::string Dialogue::ask_file(const Question& q, int unit, int mode, std::string_view failure) {
  constexpr std::size_t kNameWidth = files::kNameLength;
  while (true) {
    // One character more than a name holds, so that a longer one is refused.
    std::string name = ask(q, kNameWidth + 1);
    if (files::OPNFIL(units_, name, unit, mode) == 0) return name.substr(0, kNameWidth);
    out_ << failure << textio::padded(name, kNameWidth) << '\n';
    note_refused(q, name);
  }
}

std::string Dialogue::ask_output_file(const Question& q, int unit,
                                      std::span<const int> protected_units) {
  constexpr std::size_t kNameWidth = files::kNameLength;
  while (true) {
    std::string name = ask(q, kNameWidth + 1);
    if (files::OPNFIL(units_, name, unit, 0) == 0) {
      const auto opened = units_.identity(unit);
      bool is_protected = false;
      for (int other : protected_units) {
        if (other != unit && opened && units_.identity(other) == opened) is_protected = true;
      }
      if (!is_protected) return name.substr(0, kNameWidth);
      units_.close(unit);  // nothing was written: the file is as it was
    }
    out_ << kCannotOpen << textio::padded(name, kNameWidth) << '\n';
    note_refused(q, name);
  }
}

void Dialogue::conversion_error(const Question& q, std::string_view answer, std::string_view value,
                                std::string_view why) {
  out_.flush();
  throw RunEnd{kExitBadInput, "skaldur: cannot read the answer to " + question_label(q) + ": '" +
                                  printable(value) + "' (" + std::string(why) + ") in '" +
                                  printable(answer) + "'"};
}

void Dialogue::note_decimal_comma(const Question& q, std::string_view answer,
                                  const textio::FreeFormReader& reader) {
  // "1,5" is the value 1 and then 5; "1, 5" and "1.5,2" show that values are
  // listed on purpose and are taken without a note.
  const std::string_view value = reader.value_text();
  const std::size_t after = reader.value_start() + value.size();
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  const std::string_view digits = value.substr(value.empty() || is_digit(value.front()) ? 0 : 1);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), is_digit)) return;
  if (after + 1 >= answer.size() || answer[after] != ',' || !is_digit(answer[after + 1])) return;
  note("the answer '" + printable(answer) + "' to " + question_label(q) +
       " is taken as the value " + std::string(value) +
       ": a comma separates values and the decimal mark is a point");
}

template <class T, class Read>
T Dialogue::ask_number(const Question& q, T default_value, Read read) {
  const std::string answer = ask(q);
  if (answer.empty() || answer.front() == ' ') return default_value;
  textio::FreeFormReader reader(answer);
  const auto value = (reader.*read)();
  if (!value) conversion_error(q, answer, reader.value_text(), textio::describe(value.error()));
  note_decimal_comma(q, answer, reader);
  return *value;
}

double Dialogue::ask_real(const Question& q, double default_value) {
  return ask_number(q, default_value, &textio::FreeFormReader::real);
}

std::int32_t Dialogue::ask_whole(const Question& q, std::int32_t default_value) {
  return ask_number(q, default_value, &textio::FreeFormReader::whole);
}

char Dialogue::ask_letter(const Question& q) {
  const std::string answer = ask(q);
  return answer.empty() ? ' ' : answer.front();
}

std::int32_t Dialogue::ask_whole_across_lines(const Question& q) {
  textio::PROMPT(out_, q.prompt);
  while (true) {
    const std::string line = read_line(q, 10000);
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    textio::FreeFormReader reader(line);
    const auto value = reader.whole();
    if (!value) conversion_error(q, line, reader.value_text(), textio::describe(value.error()));
    note_decimal_comma(q, line, reader);
    return *value;
  }
}

}  // namespace skaldur::dialogue
