#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textio/result.hpp"

namespace skaldur::sncurve {

inline constexpr int kCodesPerName = 40;
inline constexpr int kMaxCurves = 100;
inline constexpr std::size_t kValueCapacity = 3000;

// The part of a curve's name shown in the dialogue and the run report.
inline constexpr std::size_t kDisplayNameLength = 23;

// A curve name as character codes, one per character, 0 after the last one.
using NameCodes = std::array<std::int32_t, kCodesPerName>;

// The catalogue tables. Curve i (from 1) has its block of record values at
// positions start[i - 1] ... start[i] - 1 of `values` (positions from 1, so
// start[0] is 1), in the layout of the SN-curve record, and its name in
// names[i - 1].
struct Catalogue {
  int count = 0;
  std::array<int, kMaxCurves + 1> start{};
  std::vector<double> values;
  std::vector<NameCodes> names;
};

// Builds the catalogue from the built-in table: sizes `values` to 3000 and
// `names` to 100 entries, then for each curve codes the standard, class and
// environment words of its name (case-blind lookups in the word tables; 0 for
// a word that is not there), writes the header and the curve's values, and
// encodes its 40-character name with CH2INT, which reports to `report` a name
// longer than `codes_per_name` (taken into 0 ... 40).
// Returns 0, or CH2INT's error counter (one below 0 per name that failed).
[[nodiscard]] int SNCATLG(Catalogue& catalogue, std::ostream& report,
                          int codes_per_name = kCodesPerName);

enum class CatalogueError {
  no_such_curve,     // n outside 1 ... count, or no curve of the name asked for
  broken_block,      // start entries outside the values table
  record_too_small,  // the block does not fit the receiving record
  names_not_coded,   // SNCATLG could not code every name
};

// The catalogue of the built-in curves, as the programs use it: SNCATLG with
// every name coded in full and nothing reported. Builds a fresh catalogue on
// every call; fails with names_not_coded when SNCATLG counts an error.
[[nodiscard]] textio::Result<Catalogue, CatalogueError> builtin_catalogue();

// The curve a name written by hand stands for: the one whose display name is
// `name` once blanks and tabs are dropped from both and letters compared
// case-blind ("norsok d air" is "NORSOK  D   AIR"). no_such_curve when there is
// none.
[[nodiscard]] textio::Result<int, CatalogueError> find_curve(const Catalogue& catalogue,
                                                             std::string_view name);

// The values of curve n's block.
[[nodiscard]] textio::Result<std::span<const double>, CatalogueError> curve_block(
    const Catalogue& catalogue, int n);

// The display name of curve n: the first 23 characters of the text INT2CH
// rebuilds from its codes, blank padded ("NORSOK  B1  AIR" and 8 blanks).
[[nodiscard]] textio::Result<std::string, CatalogueError> display_name(const Catalogue& catalogue,
                                                                       int n);

// Copies curve n's block value by value into positions 1 ... of `record`;
// the positions behind it keep their contents. Returns the block length.
[[nodiscard]] textio::Result<int, CatalogueError> copy_curve(const Catalogue& catalogue, int n,
                                                             std::span<double> record);

}  // namespace skaldur::sncurve
