#include "series/detail/column_names.hpp"

#include <algorithm>
#include <cstddef>

namespace skaldur::series::detail {

std::vector<std::string> column_names(std::string_view comment, int count) {
  std::vector<std::string> words;
  std::string_view rest = comment.substr(1);
  while (true) {
    const auto from = rest.find_first_not_of(' ');
    if (from == std::string_view::npos) break;
    rest.remove_prefix(from);
    const auto to = std::min(rest.find(' '), rest.size());
    words.emplace_back(rest.substr(0, to));
    rest.remove_prefix(to);
  }
  if (words.size() != static_cast<std::size_t>(count)) words.clear();
  return words;
}

}  // namespace skaldur::series::detail
