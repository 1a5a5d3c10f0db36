#include "textio/words.hpp"

#include <algorithm>

#include "textio/text.hpp"

namespace skaldur::textio {
namespace {

// The width in which IWFIND compares a word with an entry.
constexpr std::size_t kCompareWidth = 256;

char upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

// Character i of `text` blank padded (and cut) to the compare width.
char padded_at(std::string_view text, std::size_t i) {
  return i < text.size() ? text[i] : ' ';
}

bool equal_padded(std::string_view a, std::string_view b, LetterCase letter_case) {
  for (std::size_t i = 0; i < kCompareWidth; ++i) {
    char x = padded_at(a, i);
    char y = padded_at(b, i);
    if (letter_case == LetterCase::blind) {
      x = upper(x);
      y = upper(y);
    }
    if (x != y) return false;
  }
  return true;
}

}  // namespace

WordSplit SPLITW(std::string_view text, std::span<std::string> words, std::size_t word_length) {
  for (auto& word : words)
    word.assign(word_length, ' ');

  const int first = IFSTNB(text);
  if (first == 0) return WordSplit{};
  const auto last = static_cast<std::size_t>(LENTRM(text));  // one past the last non-blank

  int k = 0;
  std::size_t pos = static_cast<std::size_t>(first) - 1;
  while (pos < last) {
    if (text[pos] == ' ') {
      ++pos;
      continue;
    }
    const auto blank = text.find(' ', pos);
    const std::size_t end = blank == std::string_view::npos ? last : blank;
    ++k;
    if (static_cast<std::size_t>(k) > words.size()) break;
    const std::string_view word = text.substr(pos, end - pos);
    auto& element = words[static_cast<std::size_t>(k) - 1];
    std::copy_n(word.begin(), std::min(word.size(), word_length), element.begin());
    pos = end;
  }
  return WordSplit{k > 0, k};
}

void UPCASE(std::span<char> text) {
  for (char& c : text)
    c = upper(c);
}

int IWFIND(std::string_view word, std::span<const std::string_view> names, LetterCase letter_case) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (equal_padded(word, names[i], letter_case)) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace skaldur::textio
