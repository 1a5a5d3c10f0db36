#include "textio/text.hpp"

#include <algorithm>
#include <ostream>

namespace skaldur::textio {

int LENTRM(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? 0 : static_cast<int>(last) + 1;
}

int IFSTNB(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? 0 : static_cast<int>(first) + 1;
}

bool NOTDIG(std::string_view text) {
  return text.empty() || text[0] < '0' || text[0] > '9';
}

void PROMPT(std::ostream& out, std::string_view prompt) {
  constexpr std::size_t kPromptWidth = 80;
  out << ' ' << prompt.substr(0, std::min(prompt.size(), kPromptWidth));
  out.flush();
}

std::string_view trimmed(std::string_view text) {
  return text.substr(0, static_cast<std::size_t>(LENTRM(text)));
}

std::string squeezed_upper(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == ' ' || c == '\t') continue;
    out += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return out;
}

std::string padded(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, std::min(text.size(), width)));
  out.resize(width, ' ');
  return out;
}

std::string printable(std::string_view text, std::size_t limit) {
  std::string out;
  for (char c : text.substr(0, std::min(text.size(), limit))) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 32 || u >= 127) ? '?' : c;
  }
  if (text.size() > limit) out += "...";
  return out;
}

}  // namespace skaldur::textio
