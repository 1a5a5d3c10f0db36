#pragma once

#include <string>

namespace skaldur::textio {

// The local date and time, to the second.
struct ClockReading {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Reads the local clock.
[[nodiscard]] ClockReading GETDATE();

// " Date : " followed by the parts the mode asks for: 1 the year, 2 and the
// month, 3 and the day, 4 and the hour, 5 and the minute, 6 (and any other
// value) and the second, as in " Date : 2026-12-05 18:08:43". The result is
// cut or blank-padded to `length` characters. A year below 1000 counts from
// 1900.
[[nodiscard]] std::string DATSTMP(const ClockReading& clock, int length, int mode);
[[nodiscard]] std::string DATSTMP(int length, int mode);

}  // namespace skaldur::textio
