#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>

#include "batch/cli.hpp"
#include "batch/errors.hpp"
#include "textio/text.hpp"

// Every expected failure is a status and a message from batch_main; anything
// else (memory exhausted, a fault of the program) still ends as exit 1 with
// one line on standard error, never as an abort.
int main(int argc, char** argv) {
  std::string what = "an unknown exception";
  try {
    return skaldur::batch::batch_main(argc, argv, std::cout, std::cerr, ::isatty(2) == 1);
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  std::cerr << "skaldur-batch: unexpected failure: "
            << skaldur::textio::printable(what, what.size()) << '\n';
  return skaldur::batch::kExitFailed;
}
