#pragma once

// Internal to the textio library: its number readers share these.

#include <bit>
#include <cstdint>
#include <cstring>

namespace skaldur::textio::detail {

// 10^0 ... 10^8, as whole numbers and as doubles (all exact).
inline constexpr std::uint64_t kWholePowersOfTen[] = {1,      10,      100,      1000,     10000,
                                                      100000, 1000000, 10000000, 100000000};
inline constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// Eight characters from p on, the first in the lowest byte, each turned from
// a digit character into its value 0 to 9 (other characters into other
// bytes).
[[nodiscard]] inline std::uint64_t digit_bytes(const char* p) {
  std::uint64_t word = 0;
  std::memcpy(&word, p, 8);
  return word ^ 0x3030303030303030u;
}

// Of eight digit_bytes, the high bit of each byte that was no digit
// character: the values 0 to 9 stay below the high bit after the addition,
// every other byte reaches it.
[[nodiscard]] inline std::uint64_t non_digit_high_bits(std::uint64_t x) {
  return (((x & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | x) & 0x8080808080808080u;
}

// Eight digit values (first in the lowest byte) as one number: pairs, then
// quadruples, then all eight.
[[nodiscard]] inline std::uint64_t eight_digits(std::uint64_t x) {
  x = x * 10 + (x >> 8);
  return ((x & 0x000000FF000000FFu) * (100 + (1000000ull << 32)) +
          ((x >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32))) >>
         32;
}

// The number that the first n (0 to 8) of eight digit values make.
[[nodiscard]] inline std::uint64_t leading_digits(std::uint64_t x, unsigned n) {
  return n == 0 ? 0 : eight_digits(x << (8 * (8 - n)));
}

}  // namespace skaldur::textio::detail
