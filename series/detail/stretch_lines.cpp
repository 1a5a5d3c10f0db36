#include "series/detail/stretch_lines.hpp"

#include <cstring>
#include <utility>

#include "textio/lines.hpp"
#include "textio/plain_line.hpp"

namespace skaldur::series::detail {
namespace {

// read_chunk, but for the time of the last data line: returns the start of
// that line when only its time's sign was read (see LineRules::plain_time),
// nullptr otherwise; result.last_time then still lacks its time.
const char* read_lines(std::string_view text, const LineRules& rules, std::size_t limit,
                       ChunkResult& result, std::vector<double>& values) {
  std::string why;
  const char* p = text.data();
  const char* const end = p + text.size();
  const char* time_unread = nullptr;
  while (p != end) {
    const char* const start = p;
    std::string_view line;
    Verdict verdict = Verdict::skip;
    const std::size_t plain = textio::read_plain_line(p, end, values, rules.plain_time);
    if (plain != 0 && plain <= rules.width) {
      line = textio::cut_line(std::string_view(p, plain), rules.width);
      p += plain + 1;
      verdict = rules.place(values[0]);
    } else {
      const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      const char* const line_end = nl != nullptr ? static_cast<const char*>(nl) : end;
      const std::string_view raw(p, static_cast<std::size_t>(line_end - p));
      line = textio::cut_line(raw, rules.width);
      p = nl != nullptr ? line_end + 1 : end;
      verdict = rules.judge(line, textio::after_cut(raw, rules.width), values, why);
    }
    ++result.lines;

    const auto stop = [&](ChunkResult::Stop kind, std::string what) {
      result.stop = kind;
      result.stop_line = result.lines;
      result.stop_text.assign(line);
      result.stop_what = std::move(what);
      return time_unread;
    };
    if (verdict == Verdict::skip) continue;
    if (verdict == Verdict::bad) return stop(ChunkResult::Stop::error, why);
    result.any_data = true;
    result.last_time = values[0];
    time_unread = plain != 0 && rules.plain_time == textio::FirstValue::sign ? start : nullptr;
    if (verdict == Verdict::early) continue;
    if (verdict == Verdict::late) return stop(ChunkResult::Stop::window, {});
    if (!rules.keep(values, limit, result.values, why)) {
      return stop(ChunkResult::Stop::error, why);
    }
  }
  return time_unread;
}

}  // namespace

// read_lines, and the time of the last data line when it is still unread.
void read_chunk(std::string_view text, const LineRules& rules, std::size_t limit,
                ChunkResult& result) {
  std::vector<double> values(rules.per_line + 1);
  const char* const time_unread = read_lines(text, rules, limit, result, values);
  if (time_unread != nullptr) {
    const std::size_t plain =
        textio::read_plain_line(time_unread, text.data() + text.size(), values);
    if (plain != 0) result.last_time = values[0];
  }
}

}  // namespace skaldur::series::detail
