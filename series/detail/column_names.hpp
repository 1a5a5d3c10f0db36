#pragma once

// Internal to the series library: front ends include series/series.hpp only.

#include <string>
#include <string_view>
#include <vector>

namespace skaldur::series::detail {

// The blank-separated words of a comment line after its comment character,
// when they are `count`: the names of the columns; nothing otherwise.
[[nodiscard]] std::vector<std::string> column_names(std::string_view comment, int count);

}  // namespace skaldur::series::detail
