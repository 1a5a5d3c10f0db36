// The load-case table: CSV with a header row
//
//   name,file,WEIGHT[,first_time,last_time]
//
// WEIGHT is one of probability, hours_per_year, occurrences_per_year. Blank
// lines and lines starting with '#' are skipped; a field may be quoted
// ("a, b" and "" for a quote inside); blanks around a field are dropped.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "batch/load_cases.hpp"
#include "textio/lines.hpp"

namespace skaldur::batch {
namespace {

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Splits one line into its fields; false for a quote left open.
bool split_fields(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t i = 0;
  while (true) {
    std::string field;
    const std::size_t start = i;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
      ++i;
    if (i < line.size() && line[i] == '"') {
      ++i;
      while (true) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      while (i < line.size() && line[i] != ',')
        ++i;  // blanks after the quote
    } else {
      i = start;
      const std::size_t end = std::min(line.find(',', i), line.size());
      field = std::string(trim(line.substr(i, end - i)));
      i = end;
    }
    fields.push_back(std::move(field));
    if (i >= line.size()) return true;
    ++i;  // the comma
  }
}

// The whole field as a finite number; empty gives `fallback` when there is one.
std::optional<double> number(const std::string& field, std::optional<double> fallback) {
  if (field.empty()) return fallback;
  double value = 0.0;
  const char* end = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(field.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

Outcome<std::vector<LoadCase>> read_load_cases(const std::filesystem::path& path,
                                               const std::string& shown, WeightKind& kind) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return bad_input("cannot open the load-case table '" + shown + "': " + std::strerror(errno));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return bad_input("cannot read the load-case table '" + shown + "'");

  std::vector<LoadCase> cases;
  std::vector<std::string> fields;
  std::vector<std::string> header;
  std::set<std::string> names;
  std::int64_t line_number = 0;
  // A byte-order mark, as spreadsheet programs write it, is not part of the header.
  std::size_t at = text.starts_with(textio::kByteOrderMark) ? textio::kByteOrderMark.size() : 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    at = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (trim(line).empty() || trim(line).front() == '#') continue;
    if (!split_fields(line, fields)) {
      return bad_input(place(shown, line_number) + ": a quoted field is not closed");
    }
    if (header.empty()) {
      header = fields;
      const bool window =
          header.size() == 5 && header[3] == "first_time" && header[4] == "last_time";
      std::optional<WeightKind> k;
      if (header.size() >= 3) k = weight_kind(header[2]);
      if (header.size() < 3 || header[0] != "name" || header[1] != "file" || !k ||
          (header.size() != 3 && !window)) {
        return bad_input(place(shown, line_number) +
                         ": the header must be name,file,WEIGHT or "
                         "name,file,WEIGHT,first_time,last_time with WEIGHT one of probability, "
                         "hours_per_year, occurrences_per_year");
      }
      kind = *k;
      continue;
    }
    if (fields.size() != header.size()) {
      return bad_input(place(shown, line_number) + ": " + std::to_string(fields.size()) +
                       " fields; the header has " + std::to_string(header.size()));
    }
    LoadCase c;
    c.line = line_number;
    c.name = fields[0];
    c.file = fields[1];
    if (c.name.empty()) return bad_input(place(shown, line_number, "name") + ": empty");
    if (!names.insert(c.name).second) {
      return bad_input(place(shown, line_number, "name") + ": load case '" + c.name +
                       "' is named twice");
    }
    if (c.file.empty()) return bad_input(place(shown, line_number, "file") + ": empty");
    c.path = path.parent_path() / c.file;
    const auto weight = number(fields[2], std::nullopt);
    if (!weight || *weight < 0.0) {
      return bad_input(place(shown, line_number, header[2]) + ": not a number of 0 or more: '" +
                       fields[2] + "'");
    }
    c.weight = *weight;
    if (header.size() == 5) {
      const auto first = number(fields[3], 0.0);
      const auto last = number(fields[4], 1.0e30);
      if (!first) {
        return bad_input(place(shown, line_number, "first_time") + ": not a number: '" + fields[3] +
                         "'");
      }
      if (!last) {
        return bad_input(place(shown, line_number, "last_time") + ": not a number: '" + fields[4] +
                         "'");
      }
      c.first_time = *first;
      c.last_time = *last;
    }
    cases.push_back(std::move(c));
  }
  if (header.empty()) return bad_input(shown + ": no header row");
  if (cases.empty()) return bad_input(shown + ": no load case");
  return cases;
}

}  // namespace skaldur::batch
