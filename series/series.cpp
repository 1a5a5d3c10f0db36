#include "series/series.hpp"

#include <utility>

#include "series/detail/column_names.hpp"
#include "series/detail/line_rules.hpp"
#include "series/detail/stretch_reader.hpp"
#include "textio/fields.hpp"

namespace skaldur::series {

textio::Result<Opening, textio::LineError> open_record(textio::LineReader& lines,
                                                       const TimeWindow& window) {
  detail::LineRules rules;
  rules.window = window;
  rules.width = lines.width();
  Opening opening;
  opening.window_ = window;
  std::vector<double>& values = opening.values_;
  std::string why;
  std::string header;  // the last comment line so far

  std::string_view line;
  const auto stop = [&](std::string what) -> textio::Result<Opening, textio::LineError> {
    return textio::fail(textio::LineError{lines.line_number(), std::string(line), std::move(what)});
  };
  while (true) {
    const auto status = lines.next(line);
    if (status == textio::LineReader::Status::error) {
      line = {};
      return stop(textio::cannot_read(lines.error()));
    }
    if (status == textio::LineReader::Status::end) return opening;
    const detail::Verdict verdict = rules.judge(line, lines.after_cut(), values, why);
    if (verdict == detail::Verdict::skip) {
      if (textio::is_comment_line(line)) header.assign(line);
      continue;
    }
    if (verdict == detail::Verdict::bad) return stop(std::move(why));
    opening.last_time_ = values[0];
    if (verdict == detail::Verdict::early) continue;
    if (verdict == detail::Verdict::late) return opening;

    // The first accepted line: its fields fix the layout of the record.
    const auto fields = textio::LINFLD(line);
    if (!fields) {
      return stop("cannot read the fields of the first line: " +
                  std::string(textio::describe(fields.error())));
    }
    const std::size_t count = fields->size();
    const std::size_t per_line = count > 2 ? count - 1 : 1;
    if (!detail::read_values(line, per_line, values, why)) {
      if (lines.after_cut() != '\n') why += " (" + rules.cut_text() + ")";
      return stop(std::move(why));
    }
    opening.layout_.columns = static_cast<int>(per_line + 1);
    if (!header.empty())
      opening.layout_.names = detail::column_names(header, opening.layout_.columns);
    opening.line_number_ = lines.line_number();
    opening.line_.assign(line);
    opening.after_cut_ = lines.after_cut();
    return opening;
  }
}

textio::Result<Record, textio::LineError> read_record(textio::LineReader& lines, Opening&& opening,
                                                      std::span<const int> columns,
                                                      const ReadTuning& tuning) {
  Record record;
  if (opening.layout_.columns == 0) {
    record.simulation_length = opening.last_time_;
    return record;
  }
  const auto stop = [&](std::string what) -> textio::Result<Record, textio::LineError> {
    return textio::fail(
        textio::LineError{opening.line_number_, std::move(opening.line_), std::move(what)});
  };
  detail::LineRules rules;
  rules.window = opening.window_;
  rules.width = lines.width();
  rules.per_line = static_cast<std::size_t>(opening.layout_.columns - 1);
  if (columns.empty()) return stop("no column was chosen");
  for (const int column : columns) {
    if (column < 2 || column > opening.layout_.columns) {
      return stop("column " + std::to_string(column) + " is not one of the stress columns 2 to " +
                  std::to_string(opening.layout_.columns));
    }
    rules.columns.push_back(static_cast<std::size_t>(column));
  }
  std::string why;
  if (opening.after_cut_ != '\n' && rules.cut_divides(opening.line_, opening.after_cut_, why)) {
    return stop(std::move(why));
  }
  rules.choose_plain_time();
  rules.first = rules.columns.front() - 1;
  rules.several = rules.columns.size() > 1;
  record.columns.resize(rules.columns.size());
  record.start_time = opening.values_[0];
  std::vector<float> kept;
  if (!rules.keep(opening.values_, 1, kept, why)) return stop(std::move(why));
  detail::append_lines(kept, record.columns);

  // The rest of the file is read in stretches.
  const std::string_view unread = lines.release_unread();
  if (lines.error() != 0) {
    return textio::fail(
        textio::LineError{lines.line_number(), {}, textio::cannot_read(lines.error())});
  }
  const auto last_time = detail::read_rest(lines.descriptor(), unread, lines.line_number(), rules,
                                           tuning, record, lines.fingerprint());
  if (!last_time) return textio::fail(last_time.error());
  record.n_steps = static_cast<std::int64_t>(record.columns.front().size());
  record.simulation_length = *last_time - record.start_time;
  return record;
}

}  // namespace skaldur::series
