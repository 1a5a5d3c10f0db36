#include "textio/format.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace skaldur::textio {
namespace {

void append_field(std::string& out, std::string_view text, int width) {
  const auto w = static_cast<std::size_t>(width < 0 ? 0 : width);
  if (text.size() > w) {
    out.append(w, '*');
  } else {
    out.append(w - text.size(), ' ');
    out.append(text);
  }
}

// NaN and infinities are written as words, right-aligned, when they fit.
bool append_non_finite(std::string& out, double value, int width) {
  if (std::isfinite(value)) return false;
  std::string_view word;
  if (std::isnan(value)) {
    word = "NaN";
  } else if (value > 0) {
    word = width >= 8 ? "Infinity" : "Inf";
  } else {
    word = width >= 9 ? "-Infinity" : "-Inf";
  }
  append_field(out, word, width);
  return true;
}

// Room for any double in fixed notation with up to 99 decimals.
using NumberBuffer = std::array<char, 420>;

int clamp_decimals(int decimals) {
  return decimals < 0 ? 0 : (decimals > 99 ? 99 : decimals);
}

}  // namespace

void append_int(std::string& out, std::int64_t value, int width) {
  std::array<char, 24> buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  append_field(out, std::string_view(buf.data(), static_cast<std::size_t>(res.ptr - buf.data())),
               width);
}

void append_fixed(std::string& out, double value, int width, int decimals) {
  if (append_non_finite(out, value, width)) return;
  NumberBuffer buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                 std::chars_format::fixed, clamp_decimals(decimals));
  std::string_view text(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
  const bool negative = !text.empty() && text.front() == '-';
  const std::size_t lead = negative ? 1 : 0;
  // "0.500" may drop its zero to fit: ".500", "-.500".
  if (text.size() > static_cast<std::size_t>(width) && text.size() > lead + 1 &&
      text[lead] == '0' && text[lead + 1] == '.') {
    std::string shorter = negative ? "-" : "";
    shorter.append(text.substr(lead + 1));
    append_field(out, shorter, width);
    return;
  }
  append_field(out, text, width);
}

void append_sci(std::string& out, double value, int width, int decimals) {
  if (append_non_finite(out, value, width)) return;
  NumberBuffer buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                 std::chars_format::scientific, clamp_decimals(decimals));
  std::string text(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
  const auto e = text.find('e');
  if (e != std::string::npos) {
    // to_chars writes at least two exponent digits; three leave no room for the letter.
    const std::size_t exponent_digits = text.size() - e - 2;
    if (exponent_digits > 2) {
      text.erase(e, 1);
    } else {
      text[e] = 'E';
    }
  }
  append_field(out, text, width);
}

void append(std::string& out, Edit edit, double value) {
  switch (edit.kind) {
    case Edit::Kind::I:
      if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) {
        out.append(static_cast<std::size_t>(edit.width < 0 ? 0 : edit.width), '*');
      } else {
        append_int(out, static_cast<std::int64_t>(std::round(value)), edit.width);
      }
      return;
    case Edit::Kind::F: append_fixed(out, value, edit.width, edit.decimals); return;
    case Edit::Kind::E: append_sci(out, value, edit.width, edit.decimals); return;
  }
}

std::string format_int(std::int64_t value, int width) {
  std::string out;
  append_int(out, value, width);
  return out;
}

std::string format_fixed(double value, int width, int decimals) {
  std::string out;
  append_fixed(out, value, width, decimals);
  return out;
}

std::string format_sci(double value, int width, int decimals) {
  std::string out;
  append_sci(out, value, width, decimals);
  return out;
}

std::string format(Edit edit, double value) {
  std::string out;
  append(out, edit, value);
  return out;
}

}  // namespace skaldur::textio
