#pragma once

#include <iosfwd>

namespace skaldur::batch {

// The whole skaldur-batch program: parses the command line, runs the command
// and returns the exit status. Results go to `out`; messages, warnings and
// the progress line (when `err_is_terminal`) to `err`.
int batch_main(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
               bool err_is_terminal);

}  // namespace skaldur::batch
