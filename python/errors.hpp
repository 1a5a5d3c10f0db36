#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <string_view>

#include "batch/errors.hpp"
#include "damage/assess.hpp"
#include "textio/line_error.hpp"

namespace skaldur::python {

namespace py = pybind11;

// Adds the module's exceptions: InputError (a ValueError) for input files
// the project's readers refuse, AssessError (a ValueError) for a series that
// cannot be assessed.
void bind_errors(py::module_& m);

// Raises InputError for a reader's refusal of `path`: the one-line message
// "FILE, line N: WHAT: 'TEXT'", with the attributes `path`, `line` (0 when
// no line is concerned), `text` and `reason`.
[[noreturn]] void raise_input_error(const std::string& path, const textio::LineError& error);

// Raises AssessError for an assessment that failed, with its kind
// ("too_short", "range_beyond_blocks", ...) as the attribute `kind`.
[[noreturn]] void raise_assess_error(const damage::AssessError& error);

// Raises the error of a batch job that cannot be run: InputError for bad
// input (exit status 2 of skaldur-batch) with the attributes `path`, `line`
// and `field` of the place the message names ("", 0 and "" where it names
// none) and `reason`; AssessError with `kind` None for a computation that
// failed (status 1). The message is skaldur-batch's.
[[noreturn]] void raise_batch_error(const batch::BatchError& error);

// Raises OSError (FileNotFoundError, IsADirectoryError, ... by the number)
// for `path`, with the system's text for the error number.
[[noreturn]] void raise_os_error(int error_number, const std::string& path);

// The path a Python argument names (str, bytes or os.PathLike); TypeError
// for anything else, a file object too.
[[nodiscard]] std::string path_argument(py::handle object, std::string_view what);

}  // namespace skaldur::python
