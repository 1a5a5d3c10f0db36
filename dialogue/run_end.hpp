#pragma once

#include <string>
#include <utility>

namespace skaldur::dialogue {

// Ends the run early: thrown inside the dialogue only and caught by DMG01, which
// writes the message on standard error and returns the status.
struct RunEnd {
  int status;
  std::string message;
};

// A text fit for one plain line of a message: cut to `limit` characters,
// with every byte that is not printable ASCII (control characters and bytes
// of 128 and above) shown as '?'.
std::string printable(std::string_view text, std::size_t limit = 200);

}  // namespace skaldur::dialogue
