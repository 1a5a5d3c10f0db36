#include <iostream>

#include "driver/dmg01.hpp"

int main() {
  return skaldur::driver::DMG01(std::cin, std::cout, std::cerr);
}
