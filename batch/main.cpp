#include <unistd.h>

#include <iostream>

#include "batch/cli.hpp"

int main(int argc, char** argv) {
  return skaldur::batch::batch_main(argc, argv, std::cout, std::cerr, ::isatty(2) == 1);
}
