// The load-case table: CSV with a header row
//
//   name,file,WEIGHT[,first_time,last_time]
//
// WEIGHT is one of probability, hours_per_year, occurrences_per_year. Blank
// lines and lines starting with '#' are skipped; a field may be quoted
// ("a, b" and "" for a quote inside); blanks around a field are dropped.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <set>
#include <string_view>

#include "batch/input_files.hpp"
#include "batch/load_cases.hpp"
#include "textio/fingerprint.hpp"
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

// The header row: name,file,WEIGHT and, with a time window, first_time,last_time.
std::optional<BatchError> read_header(const std::vector<std::string>& header,
                                      const std::string& where, WeightKind& kind) {
  const bool window = header.size() == 5 && header[3] == "first_time" && header[4] == "last_time";
  std::optional<WeightKind> k;
  if (header.size() >= 3) k = weight_kind(header[2]);
  if (header.size() < 3 || header[0] != "name" || header[1] != "file" || !k ||
      (header.size() != 3 && !window)) {
    return BatchError{kExitBadInput,
                      where +
                          ": the header must be name,file,WEIGHT or "
                          "name,file,WEIGHT,first_time,last_time with WEIGHT one of probability, "
                          "hours_per_year, occurrences_per_year"};
  }
  kind = *k;
  return std::nullopt;
}

// The table being read: its file, its header and the names of the rows so far.
struct Table {
  const std::filesystem::path& path;
  const std::string& shown;
  std::vector<std::string> header;
  std::set<std::string> names;
};

// One row of the table, line `line_number`; its name must be new.
Outcome<LoadCase> read_row(const std::vector<std::string>& fields, std::int64_t line_number,
                           Table& table) {
  const std::string& shown = table.shown;
  const std::vector<std::string>& header = table.header;
  if (fields.size() != header.size()) {
    return bad_input(place(shown, line_number) + ": " + std::to_string(fields.size()) +
                     " fields; the header has " + std::to_string(header.size()));
  }
  LoadCase c;
  c.line = line_number;
  c.name = fields[0];
  c.file = fields[1];
  if (c.name.empty()) return bad_input(place(shown, line_number, "name") + ": empty");
  if (!table.names.insert(c.name).second) {
    return bad_input(place(shown, line_number, "name") + ": load case '" + c.name +
                     "' is named twice");
  }
  if (c.file.empty()) return bad_input(place(shown, line_number, "file") + ": empty");
  c.path = table.path.parent_path() / c.file;
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
  return c;
}

}  // namespace

Outcome<std::vector<LoadCase>> read_load_cases(const std::filesystem::path& path,
                                               const std::string& shown, WeightKind& kind,
                                               InputFile& file) {
  const auto read = read_input(path, "the load-case table '" + shown + "'", kMostTableBytes);
  if (!read) return textio::fail(read.error());
  file = {shown, read->identity, textio::fingerprint_of(read->bytes)};
  const std::string& text = read->bytes;
  Table table{path, shown, {}, {}};
  std::vector<LoadCase> cases;
  std::vector<std::string> fields;
  std::int64_t line_number = 0;
  // A byte-order mark, as spreadsheet programs write it, is not part of the header.
  std::string_view rest = textio::without_byte_order_mark(text);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (trim(line).empty() || trim(line).front() == '#') continue;
    if (!split_fields(line, fields)) {
      return bad_input(place(shown, line_number) + ": a quoted field is not closed");
    }
    if (table.header.empty()) {
      if (auto e = read_header(fields, place(shown, line_number), kind)) return textio::fail(*e);
      table.header = fields;
      continue;
    }
    auto c = read_row(fields, line_number, table);
    if (!c) return textio::fail(c.error());
    cases.push_back(std::move(c).value());
  }
  if (table.header.empty()) return bad_input(shown + ": no header row");
  if (cases.empty()) return bad_input(shown + ": no load case");
  return cases;
}

}  // namespace skaldur::batch
