#include "sncurve/definition.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "sncurve/record.hpp"
#include "textio/freeform.hpp"

namespace skaldur::sncurve {
namespace {

constexpr std::size_t kTitleWidth = 256;
constexpr std::int64_t kParPerLine = 3;  // LogA, m, nBreak

constexpr std::array<std::string_view, 3> kCountNames = {"nSNlin", "nParPerLin", "nFixPar"};
constexpr std::array<std::string_view, 3> kSegmentNames = {"LogA", "m", "nBreak"};
constexpr std::array<std::string_view, 4> kFixedNames = {"SigBreak", "thick", "k", "kHigh"};

std::string fixed_name(std::size_t index) {
  if (index < kFixedNames.size()) return std::string(kFixedNames[index]);
  return "fixed parameter " + std::to_string(index + 1);
}

std::string segment_place(std::int64_t j) {
  return "the line of segment " + std::to_string(j);
}

// "cannot read m on the line of segment 2 'x': not a number of the needed kind"
std::string cannot_read(std::string_view name, std::string_view place,
                        const textio::FreeFormReader& reader, textio::NumberError why) {
  std::string what = "cannot read ";
  what.append(name).append(" on ").append(place);
  if (!reader.value_text().empty()) {
    what.append(" '").append(reader.value_text().substr(0, 80)).append("'");
  }
  what.append(": ").append(textio::describe(why));
  return what;
}

// A data line: its number in the file and its text, valid until the next
// line is read.
struct DataLine {
  std::int64_t number = 0;
  std::string_view text;

  [[nodiscard]] textio::LineError refused(std::string what) const {
    return {number, std::string(text), std::move(what)};
  }
};

// The next data line, comment and blank lines skipped. Fails when the file
// cannot be read, or with `at_end` (line 0) when it ends first.
textio::Result<DataLine, textio::LineError> next_data_line(textio::LineReader& lines,
                                                           std::string at_end) {
  std::string_view line;
  while (true) {
    const auto status = lines.next(line);
    if (status == textio::LineReader::Status::error) {
      return textio::fail(
          textio::LineError{lines.line_number(), "", textio::cannot_read(lines.error())});
    }
    if (status == textio::LineReader::Status::end)
      return textio::fail(textio::LineError{0, "", std::move(at_end)});
    if (!textio::is_comment_line(line) && !textio::is_blank_line(line))
      return DataLine{lines.line_number(), line};
  }
}

// Index (from 0) of position 9 + 3 * (j - 1): segment j's LogA. Segment
// nSNlin + 1 would begin at fixStart, the first fixed parameter.
std::ptrdiff_t segment_index(std::int64_t j) {
  return static_cast<std::ptrdiff_t>(kSegStart - 1 + kParPerLine * (j - 1));
}

struct Counts {
  std::int64_t n_sn_lin = 0;
  std::int64_t n_fix_par = 0;
};

// Reads and checks the counts line, then writes the header of the record.
textio::Result<Counts, textio::LineError> read_counts(const DataLine& line,
                                                      std::span<double> record) {
  textio::FreeFormReader reader(line.text);
  std::array<std::int64_t, 3> counts{};
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const auto value = reader.whole();
    if (!value) {
      return textio::fail(
          line.refused(cannot_read(kCountNames[i], "the counts line", reader, value.error())));
    }
    counts[i] = *value;
  }
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] < 0) {
      return textio::fail(line.refused(std::string(kCountNames[i]) + " is " +
                                       std::to_string(counts[i]) + ": a count cannot be negative"));
    }
  }
  if (counts[1] != kParPerLine) {
    return textio::fail(line.refused("nParPerLin is " + std::to_string(counts[1]) +
                                     ": a segment line holds exactly 3 values (LogA, m, nBreak)"));
  }
  // Counts are 32-bit, so these sums cannot overflow.
  const std::int64_t needed = kHeaderSize + kParPerLine * counts[0] + counts[2];
  if (needed > static_cast<std::int64_t>(record.size())) {
    return textio::fail(line.refused("the curve needs " + std::to_string(needed) +
                                     " values (8 + 3 x nSNlin + nFixPar), more than the " +
                                     std::to_string(record.size()) + " of the SN-curve record"));
  }
  const Counts read{counts[0], counts[2]};
  const double header[kHeaderSize] = {
      static_cast<double>(kDnv),
      1.0,
      1.0,
      static_cast<double>(read.n_sn_lin),
      static_cast<double>(kParPerLine),
      static_cast<double>(read.n_fix_par),
      static_cast<double>(kSegStart),
      static_cast<double>(kSegStart + kParPerLine * read.n_sn_lin),
  };
  std::copy(std::begin(header), std::end(header), record.begin());
  return read;
}

// Reads segment j's line into its place in the record; the reason when it is
// refused.
std::optional<textio::LineError> read_segment(const DataLine& line, std::int64_t j,
                                              std::span<double> record) {
  textio::FreeFormReader reader(line.text);
  std::array<double, 3> values{};
  std::string_view m_text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto value = reader.real();
    if (!value) {
      return line.refused(cannot_read(kSegmentNames[i], segment_place(j), reader, value.error()));
    }
    values[i] = *value;
    if (i == 1) m_text = reader.value_text();
  }
  if (!(values[1] > 0.0)) {
    return line.refused("m of segment " + std::to_string(j) + " is " + std::string(m_text) +
                        ": the exponent must be above 0");
  }
  std::copy(values.begin(), values.end(), record.begin() + segment_index(j));
  return std::nullopt;
}

// Reads the fixed-parameter line into the record behind the segments; the
// reason when it is refused.
std::optional<textio::LineError> read_fixed(const DataLine& line, const Counts& counts,
                                            std::span<double> record) {
  textio::FreeFormReader reader(line.text);
  std::vector<double> fixed;
  for (std::size_t i = 0; i < static_cast<std::size_t>(counts.n_fix_par); ++i) {
    const auto value = reader.real();
    if (!value) {
      return line.refused(
          cannot_read(fixed_name(i), "the fixed-parameter line", reader, value.error()));
    }
    fixed.push_back(*value);
  }
  std::copy(fixed.begin(), fixed.end(), record.begin() + segment_index(counts.n_sn_lin + 1));
  return std::nullopt;
}

}  // namespace

textio::Result<std::string, textio::LineError> read_title_line(textio::LineReader& lines) {
  const auto line = next_data_line(lines, "the file ends before the title line");
  if (!line) return textio::fail(line.error());
  return std::string(line->text);
}

std::string_view title_of(std::string_view title_line) {
  return title_line.substr(0, kTitleWidth);
}

textio::Result<std::int64_t, textio::LineError> read_curve_lines(textio::LineReader& lines,
                                                                 std::span<double> record) {
  const auto counts_line = next_data_line(lines, "the file ends before the counts line");
  if (!counts_line) return textio::fail(counts_line.error());
  const auto counts = read_counts(*counts_line, record);
  if (!counts) return textio::fail(counts.error());
  for (std::int64_t j = 1; j <= counts->n_sn_lin; ++j) {
    const auto line =
        next_data_line(lines, "the file ends after " + std::to_string(j - 1) + " of " +
                                  std::to_string(counts->n_sn_lin) + " segment lines");
    if (!line) return textio::fail(line.error());
    if (auto refused = read_segment(*line, j, record)) return textio::fail(std::move(*refused));
  }
  // With no fixed parameter there is no line to read.
  if (counts->n_fix_par > 0) {
    const auto line = next_data_line(lines, "the file ends before the fixed-parameter line");
    if (!line) return textio::fail(line.error());
    if (auto refused = read_fixed(*line, *counts, record)) return textio::fail(std::move(*refused));
  }
  return kHeaderSize + kParPerLine * counts->n_sn_lin + counts->n_fix_par;
}

textio::Result<std::string, textio::LineError> read_definition(textio::LineReader& lines,
                                                               std::span<double> record) {
  const auto line = read_title_line(lines);
  if (!line) return textio::fail(line.error());
  const auto curve = read_curve_lines(lines, record);
  if (!curve) return textio::fail(curve.error());
  return std::string(title_of(*line));
}

}  // namespace skaldur::sncurve
