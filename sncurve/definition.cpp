#include "sncurve/definition.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <ostream>
#include <string_view>
#include <vector>

#include "sncurve/record.hpp"
#include "textio/freeform.hpp"
#include "textio/text.hpp"

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

}  // namespace

textio::Result<std::string, textio::LineError> read_definition(textio::LineReader& lines,
                                                               std::span<double> record,
                                                               std::ostream& console) {
  using Outcome = textio::Result<std::string, textio::LineError>;
  std::string title;
  enum class Next { title_line, counts_line, segment_line, fixed_line };
  Next next = Next::title_line;
  std::int64_t n_sn_lin = 0;
  std::int64_t n_fix_par = 0;
  std::int64_t segments_read = 0;
  std::vector<double> fixed;

  std::string_view line;
  const auto stop = [&](std::int64_t line_number, std::string what) -> Outcome {
    return textio::fail(textio::LineError{line_number, std::string(line), std::move(what)});
  };
  // Index (from 0) of position 9 + 3 * (j - 1): segment j's LogA.
  const auto segment_index = [](std::int64_t j) {
    return static_cast<std::size_t>(kSegStart - 1 + kParPerLine * (j - 1));
  };

  while (true) {
    const auto status = lines.next(line);
    if (status == textio::LineReader::Status::error) {
      line = {};
      return stop(lines.line_number(), textio::cannot_read(lines.error()));
    }
    if (status == textio::LineReader::Status::end) break;
    if (textio::is_comment_line(line) || textio::is_blank_line(line)) continue;
    const std::int64_t number = lines.line_number();

    if (next == Next::title_line) {
      title.assign(line.substr(0, kTitleWidth));
      console << "\n User Defined SN-Curve         : " << textio::trimmed(line) << '\n';
      next = Next::counts_line;
      continue;
    }

    textio::FreeFormReader reader(line);
    if (next == Next::counts_line) {
      std::array<std::int64_t, 3> counts{};
      for (std::size_t i = 0; i < counts.size(); ++i) {
        const auto value = reader.whole();
        if (!value) {
          return stop(number,
                      cannot_read(kCountNames[i], "the counts line", reader, value.error()));
        }
        counts[i] = *value;
      }
      for (std::size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] < 0) {
          return stop(number, std::string(kCountNames[i]) + " is " + std::to_string(counts[i]) +
                                  ": a count cannot be negative");
        }
      }
      if (counts[1] != kParPerLine) {
        return stop(number, "nParPerLin is " + std::to_string(counts[1]) +
                                ": a segment line holds exactly 3 values (LogA, m, nBreak)");
      }
      // Counts are 32-bit, so these sums cannot overflow.
      const std::int64_t needed = kHeaderSize + kParPerLine * counts[0] + counts[2];
      if (needed > static_cast<std::int64_t>(record.size())) {
        return stop(number, "the curve needs " + std::to_string(needed) +
                                " values (8 + 3 x nSNlin + nFixPar), more than the " +
                                std::to_string(record.size()) + " of the SN-curve record");
      }
      n_sn_lin = counts[0];
      n_fix_par = counts[2];
      const double header[kHeaderSize] = {
          static_cast<double>(kDnv),
          1.0,
          1.0,
          static_cast<double>(n_sn_lin),
          static_cast<double>(kParPerLine),
          static_cast<double>(n_fix_par),
          static_cast<double>(kSegStart),
          static_cast<double>(kSegStart + kParPerLine * n_sn_lin),
      };
      std::copy(std::begin(header), std::end(header), record.begin());
    } else if (next == Next::segment_line) {
      const std::int64_t j = segments_read + 1;
      std::array<double, 3> values{};
      std::string_view m_text;
      for (std::size_t i = 0; i < values.size(); ++i) {
        const auto value = reader.real();
        if (!value) {
          return stop(number,
                      cannot_read(kSegmentNames[i], segment_place(j), reader, value.error()));
        }
        values[i] = *value;
        if (i == 1) m_text = reader.value_text();
      }
      if (!(values[1] > 0.0)) {
        return stop(number, "m of segment " + std::to_string(j) + " is " + std::string(m_text) +
                                ": the exponent must be above 0");
      }
      std::copy(values.begin(), values.end(),
                record.begin() + static_cast<std::ptrdiff_t>(segment_index(j)));
      segments_read = j;
    } else {
      fixed.clear();
      for (std::size_t i = 0; i < static_cast<std::size_t>(n_fix_par); ++i) {
        const auto value = reader.real();
        if (!value) {
          return stop(number, cannot_read(fixed_name(i), "the fixed-parameter line", reader,
                                          value.error()));
        }
        fixed.push_back(*value);
      }
      // fixStart = 9 + 3 * nSNlin: where segment nSNlin + 1 would begin.
      std::copy(fixed.begin(), fixed.end(),
                record.begin() + static_cast<std::ptrdiff_t>(segment_index(n_sn_lin + 1)));
      return title;
    }

    // Past the counts line or a segment line: what comes next.
    if (segments_read < n_sn_lin) {
      next = Next::segment_line;
    } else if (n_fix_par > 0) {
      next = Next::fixed_line;
    } else {
      return title;  // no fixed parameter to read
    }
  }

  line = {};
  switch (next) {
    case Next::title_line: return stop(0, "the file ends before the title line");
    case Next::counts_line: return stop(0, "the file ends before the counts line");
    case Next::segment_line:
      return stop(0, "the file ends after " + std::to_string(segments_read) + " of " +
                         std::to_string(n_sn_lin) + " segment lines");
    case Next::fixed_line: break;
  }
  return stop(0, "the file ends before the fixed-parameter line");
}

}  // namespace skaldur::sncurve
