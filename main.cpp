#include <iostream>

#include "dialogue/program.hpp"

int main() {
  skaldur::dialogue::guard_console();
  return skaldur::dialogue::DMG01(std::cin, std::cout, std::cerr);
}
