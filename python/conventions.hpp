#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "cycles/cycle.hpp"

namespace skaldur::python {

// The counting conventions by their names ("drop" / "keep", "half" /
// "repeated"); ValueError for another name.
[[nodiscard]] cycles::Ends ends_argument(const std::string& name);
[[nodiscard]] cycles::Conventions conventions_argument(const std::string& ends,
                                                       const std::string& residue);

// A Python object that must be a number (not a bool) or a str; TypeError
// naming it otherwise.
[[nodiscard]] double number_argument(pybind11::handle value, const char* what);
[[nodiscard]] std::string text_argument(pybind11::handle value, const char* what);

// A number argument that must be finite and above 0 (or at least 0 when
// `zero_allowed`); ValueError naming it otherwise.
double positive_argument(double value, const char* what, bool zero_allowed = false);

}  // namespace skaldur::python
