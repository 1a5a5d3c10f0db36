#include <iostream>

#include "dialogue/dmg01.hpp"

int main() {
  return skaldur::dialogue::DMG01(std::cin, std::cout, std::cerr);
}
