#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace skaldur::textio {

// Texts are blank-padded; the blank (code 32) is the only fill character.
// Positions count from 1, as the program's messages and tables do.

// Returns the position of the last non-blank character, 0 when the text is
// all blank or empty. Never reads past the text.
[[nodiscard]] int LENTRM(std::string_view text);

// Returns the position of the first non-blank character, 0 when there is none.
[[nodiscard]] int IFSTNB(std::string_view text);

// True when the first character is not one of "0123456789"; an empty text and
// a leading blank count as non-digits.
[[nodiscard]] bool NOTDIG(std::string_view text);

// Writes one blank and the first 80 characters of the prompt, trailing blanks
// included, and no line end: the answer is typed on the same console line.
void PROMPT(std::ostream& out, std::string_view prompt);

// The text without its trailing blanks.
[[nodiscard]] std::string_view trimmed(std::string_view text);

// The text without its blanks and tabs, its ASCII letters in upper case: the
// form in which names and words written by hand are compared.
[[nodiscard]] std::string squeezed_upper(std::string_view text);

// The text cut or blank-padded to exactly `width` characters.
[[nodiscard]] std::string padded(std::string_view text, std::size_t width);

// A text fit for one plain line of a message: cut to `limit` characters
// ("..." marks a cut), with every byte that is not printable ASCII (control
// characters and bytes of 128 and above) shown as '?'.
[[nodiscard]] std::string printable(std::string_view text, std::size_t limit = 200);

}  // namespace skaldur::textio
