#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string_view>

namespace skaldur::textio {

// Encoded texts: a text held as a column of n integers, one character code
// (0 to 255) per entry, the entries after the trimmed length 0. The first 0
// ends the text; a text of exactly n characters has no 0 entry.
//
// Both routines count their errors in `errors`: each error writes a report to
// `message` and decrements the counter by one; the counter is never reset, so
// a caller that starts it at 0 knows afterwards whether anything went wrong.

// Encodes `strings` into `table`, one column of `n` entries per string: column
// j (from 0) is table[j * n] ... table[j * n + n - 1]. Clears all n x count
// entries first, then encodes the strings in order; the first string whose
// trimmed length exceeds n is reported and ends the conversion, leaving its
// column and all later ones 0. Codes are unsigned bytes. Never writes outside
// `table`: only as many whole columns as it holds take part.
void CH2INT(std::span<const std::string_view> strings, std::span<std::int32_t> table, int n,
            std::ostream& message, int& errors);

// Decodes up to `n` entries of `column` into `text`: the text is blanked, then
// filled from position 1 with the characters whose codes are the low 8 bits
// of the entries, stopping at the first 0. The rest stays blank. An n of 0 or
// below is an error (reported, text left blank). Reads at most text.size()
// and at most column.size() entries, whatever n says.
void INT2CH(std::span<char> text, std::span<const std::int32_t> column, int n,
            std::ostream& message, int& errors);

}  // namespace skaldur::textio
