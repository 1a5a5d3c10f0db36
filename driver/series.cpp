#include "driver/series.hpp"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "textio/fields.hpp"
#include "textio/freeform.hpp"
#include "textio/result.hpp"

namespace skaldur::driver {
namespace {

bool is_comment(std::string_view line) {
  if (line.empty()) return false;
  const char c = line.front();
  return c == '$' || c == '#' || c == '!' || c == '\'';
}

bool is_blank(std::string_view line) {
  return line.find_first_not_of(' ') == std::string::npos;
}

std::string ordinal_value(std::size_t index) {
  return index == 0 ? "the time" : "stress value " + std::to_string(index);
}

// Reads the time and `count` stress values of a data line into `values`
// (values[0] is the time). Fills `why` when the line does not hold them.
bool read_values(std::string_view line, std::size_t count, std::vector<double>& values,
                 std::string& why) {
  values.resize(count + 1);
  if (textio::read_reals(line, values)) return true;
  // Read the line again, value by value, to say what is wrong with it.
  textio::FreeFormReader reader(line);
  for (std::size_t i = 0; i <= count; ++i) {
    const auto value = reader.real();
    if (!value) {
      if (value.error() == textio::ReadError::missing) {
        why = "the line holds fewer numbers than the time and " + std::to_string(count) +
              (count == 1 ? " stress value" : " stress values");
      } else {
        why = "cannot read " + ordinal_value(i) + " '" +
              std::string(reader.value_text().substr(0, 80)) +
              "' as a number: " + std::string(textio::describe(value.error()));
      }
      return false;
    }
    values[i] = *value;
  }
  return true;
}

}  // namespace

bool read_series(textio::LineReader& lines, const TimeWindow& window,
                 const ColumnChooser& choose_column, SeriesData& data, SeriesError& error) {
  data.series.clear();
  std::size_t per_line = 1;  // stress values read from each line
  std::size_t column = 2;
  double line_time = 0.0;
  double start_time = 0.0;
  std::vector<double> values;

  const auto stop = [&](std::string_view line, std::string what) {
    error.line = lines.line_number();
    error.text.assign(line);
    error.what = std::move(what);
    return false;
  };

  std::string_view line;
  while (true) {
    const auto status = lines.next(line);
    if (status == textio::LineReader::Status::error) {
      return stop({}, std::string("the file cannot be read: ") + std::strerror(lines.error()));
    }
    if (status == textio::LineReader::Status::end) break;
    if (is_comment(line) || is_blank(line)) continue;

    std::string why;
    if (!read_values(line, per_line, values, why)) return stop(line, std::move(why));
    line_time = values[0];
    if (line_time < window.first_time) continue;
    if (line_time > window.last_time) break;

    if (data.series.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
      return stop(line, "the time window holds more than 2147483647 values");
    }
    if (data.series.empty()) {
      const auto fields = textio::LINFLD(line);
      if (!fields) {
        return stop(line, "cannot read the fields of the first line: " +
                              std::string(textio::describe(fields.error())));
      }
      const std::size_t count = fields->size();
      per_line = count > 2 ? count - 1 : 1;
      if (!read_values(line, per_line, values, why)) return stop(line, std::move(why));
      column = static_cast<std::size_t>(choose_column(static_cast<int>(per_line + 1)));
      start_time = line_time;
    }
    const float stress = static_cast<float>(values[column - 1]);
    if (std::isinf(stress)) {
      return stop(line, "the stress of column " + std::to_string(column) +
                            " is beyond the single-precision range");
    }
    data.series.push_back(stress);
  }
  data.simulation_length = line_time - start_time;
  return true;
}

}  // namespace skaldur::driver
