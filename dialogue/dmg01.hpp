#pragma once

#include <iosfwd>

namespace skaldur::dialogue {

// Exit statuses of a run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // computation or write failure
inline constexpr int kExitBadInput = 2;  // unreadable answer or input file

// Runs the whole dialogue on the given console streams and returns the exit
// status. Messages that end a run early go to `err`.
int DMG01(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace skaldur::dialogue
