#pragma once

#include <iosfwd>

namespace skaldur::dialogue {

// Exit statuses of a run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // computation or write failure
inline constexpr int kExitBadInput = 2;  // unreadable answer or input file

// Readies the process's standard streams for a run: a closed standard
// descriptor (0, 1 or 2) is opened on /dev/null for reading only, so that no
// file of the run takes its number and writes to it fail visibly; SIGPIPE is
// ignored, so that a console whose reader has gone is a write failure like
// any other and the run still writes and closes every file.
void guard_console();

// Runs the whole dialogue on the given console streams and returns the exit
// status. Messages that end a run early go to `err`, and so do notes on
// answers. A failed write to `out` fails the run (kExitFailed), and so does
// running out of memory or threads.
int DMG01(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace skaldur::dialogue
