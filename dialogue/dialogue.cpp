#include "dialogue/dialogue.hpp"

#include <istream>
#include <ostream>

#include "dialogue/dmg01.hpp"
#include "dialogue/run_end.hpp"
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

std::string printable(std::string_view text, std::size_t limit) {
  std::string out;
  for (char c : text.substr(0, std::min(text.size(), limit))) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 32 || u == 127) ? '?' : c;
  }
  if (text.size() > limit) out += "...";
  return out;
}

Dialogue::Dialogue(textio::UnitTable& units)
    : units_(units),
      in_(*units.console_input(textio::kConsoleIn)),
      out_(*units.output(textio::kConsoleOut)) {}

std::string Dialogue::read_line(const Question& q, std::size_t width) {
  // Keeps the first `width` characters (and one more, so that a carriage
  // return at the cut is not taken for a line end) and skips the rest, so
  // that an endless line cannot exhaust the memory.
  std::string line;
  std::streambuf* buf = in_.rdbuf();
  bool any = false;
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
    if (line.size() <= width + mark) line += ch;
  }
  if (mark > 0 && line.starts_with(textio::kByteOrderMark)) line.erase(0, mark);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > width) line.resize(width);
  return line;
}

std::string Dialogue::ask(const Question& q, std::size_t width) {
  textio::PROMPT(out_, q.prompt);
  return read_line(q, width);
}

std::string Dialogue::ask_file(const Question& q, int unit, int mode, std::string_view failure) {
  constexpr std::size_t kNameWidth = 256;
  while (true) {
    std::string name = ask(q, kNameWidth);
    if (textio::OPNFIL(units_, name, unit, mode) == 0) return name;
    out_ << failure << textio::padded(name, kNameWidth) << '\n';
  }
}

std::string Dialogue::ask_output_file(const Question& q, int unit,
                                      std::span<const int> protected_units) {
  constexpr std::size_t kNameWidth = 256;
  while (true) {
    std::string name = ask(q, kNameWidth);
    if (textio::OPNFIL(units_, name, unit, 0) == 0) {
      const auto opened = units_.identity(unit);
      bool is_protected = false;
      for (int other : protected_units) {
        if (other != unit && opened && units_.identity(other) == opened) is_protected = true;
      }
      if (!is_protected) return name;
      units_.close(unit);  // nothing was written: the file is as it was
    }
    out_ << kCannotOpen << textio::padded(name, kNameWidth) << '\n';
  }
}

void Dialogue::conversion_error(const Question& q, std::string_view answer, std::string_view value,
                                std::string_view why) {
  out_.flush();
  throw RunEnd{kExitBadInput, "skaldur: cannot read the answer to " + question_label(q) + ": '" +
                                  printable(value) + "' (" + std::string(why) + ") in '" +
                                  printable(answer) + "'"};
}

template <class T, class Read>
T Dialogue::ask_number(const Question& q, T default_value, Read read) {
  const std::string answer = ask(q);
  if (answer.empty() || answer.front() == ' ') return default_value;
  textio::FreeFormReader reader(answer);
  const auto value = (reader.*read)();
  if (!value) conversion_error(q, answer, reader.value_text(), textio::describe(value.error()));
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
    return *value;
  }
}

}  // namespace skaldur::dialogue
