#include "textio/datestamp.hpp"

#include <ctime>

#include "textio/format.hpp"
#include "textio/text.hpp"

namespace skaldur::textio {
namespace {

void append_two_digits(std::string& out, char separator, int value) {
  out += separator;
  // Two digits with a leading zero; a value that does not fit shows asterisks.
  if (value < 0 || value > 99) {
    out += "**";
    return;
  }
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

}  // namespace

ClockReading GETDATE() {
  ClockReading clock;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) == nullptr) return clock;
  clock.year = local.tm_year + 1900;
  clock.month = local.tm_mon + 1;
  clock.day = local.tm_mday;
  clock.hour = local.tm_hour;
  clock.minute = local.tm_min;
  clock.second = local.tm_sec;
  return clock;
}

std::string DATSTMP(const ClockReading& clock, int length, int mode) {
  const int year = clock.year < 1000 ? clock.year + 1900 : clock.year;
  const int parts = (mode >= 1 && mode <= 5) ? mode : 6;
  std::string text = " Date : ";
  append_int(text, year, 4);
  if (parts >= 2) append_two_digits(text, '-', clock.month);
  if (parts >= 3) append_two_digits(text, '-', clock.day);
  if (parts >= 4) append_two_digits(text, ' ', clock.hour);
  if (parts >= 5) append_two_digits(text, ':', clock.minute);
  if (parts >= 6) append_two_digits(text, ':', clock.second);
  return padded(trimmed(text), length < 0 ? 0 : static_cast<std::size_t>(length));
}

std::string DATSTMP(int length, int mode) {
  return DATSTMP(GETDATE(), length, mode);
}

}  // namespace skaldur::textio
