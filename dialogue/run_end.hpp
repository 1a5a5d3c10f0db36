#pragma once

#include <string>
#include <utility>

#include "textio/text.hpp"

namespace skaldur::dialogue {

// Ends the run early: thrown inside the dialogue only and caught by DMG01, which
// writes the message on standard error and returns the status.
struct RunEnd {
  int status;
  std::string message;
};

using textio::printable;

}  // namespace skaldur::dialogue
