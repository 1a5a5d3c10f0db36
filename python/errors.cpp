#include "python/errors.hpp"

#include <cstring>

namespace skaldur::python {
namespace {

// The exception classes, made once when the module is imported and kept
// for the life of the process (the module holds them too).
PyObject* input_error_class = nullptr;
PyObject* assess_error_class = nullptr;

PyObject* new_class(py::module_& m, const char* name, const char* doc) {
  PyObject* type = PyErr_NewExceptionWithDoc((std::string("skaldur.") + name).c_str(), doc,
                                             PyExc_ValueError, nullptr);
  if (type == nullptr) throw py::error_already_set();
  m.attr(name) = py::reinterpret_borrow<py::object>(type);
  return type;
}

// Text that may hold any bytes, as a str (undecodable bytes replaced).
py::object text_of(const std::string& bytes) {
  return py::bytes(bytes).attr("decode")("utf-8", "replace");
}

std::string_view kind_name(damage::AssessFailure kind) {
  switch (kind) {
    case damage::AssessFailure::too_short: return "too_short";
    case damage::AssessFailure::range_beyond_blocks: return "range_beyond_blocks";
    case damage::AssessFailure::no_thickness_factor: return "no_thickness_factor";
    case damage::AssessFailure::mean_at_ultimate: return "mean_at_ultimate";
    case damage::AssessFailure::beyond_matrix: return "beyond_matrix";
  }
  return "unknown";
}

[[noreturn]] void raise(PyObject* type, const std::string& message, const py::dict& attributes) {
  py::object error = py::handle(type)(text_of(message));
  for (const auto& [key, value] : attributes)
    error.attr(key) = value;
  PyErr_SetObject(type, error.ptr());
  throw py::error_already_set();
}

}  // namespace

void bind_errors(py::module_& m) {
  input_error_class = new_class(
      m, "InputError",
      "An input file the readers refuse: the message names the file, the line and what is "
      "wrong; attributes path, line (0 when no line is concerned), text and reason.");
  assess_error_class =
      new_class(m, "AssessError",
                "A series that cannot be assessed; attribute kind: too_short, range_beyond_blocks, "
                "no_thickness_factor, mean_at_ultimate or beyond_matrix.");
}

void raise_input_error(const std::string& path, const textio::LineError& error) {
  py::dict attributes;
  attributes["path"] = text_of(path);
  attributes["line"] = error.line;
  attributes["text"] = text_of(error.text);
  attributes["reason"] = text_of(error.what);
  raise(input_error_class, textio::describe(error, path), attributes);
}

void raise_assess_error(const damage::AssessError& error) {
  py::dict attributes;
  attributes["kind"] = std::string(kind_name(error.kind));
  raise(assess_error_class,
        "the series cannot be assessed: " + std::string(damage::describe(error.kind)), attributes);
}

void raise_os_error(int error_number, const std::string& path) {
  py::object type = py::reinterpret_borrow<py::object>(PyExc_OSError);
  py::object error = type(error_number, std::strerror(error_number), text_of(path));
  // OSError picks its subclass by the number (FileNotFoundError, ...).
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
  throw py::error_already_set();
}

std::string path_argument(py::handle object, std::string_view what) {
  if (!py::isinstance<py::str>(object) && !py::isinstance<py::bytes>(object) &&
      !py::hasattr(object, "__fspath__")) {
    throw py::type_error(std::string(what) + " must be a path (str, bytes or os.PathLike), not " +
                         std::string(py::str(py::type::handle_of(object).attr("__name__"))));
  }
  // The file system's bytes of the name, whatever they are.
  auto path = py::module_::import("os").attr("fsencode")(object).cast<std::string>();
  if (path.find('\0') != std::string::npos)
    throw py::value_error(std::string(what) + " holds a NUL character");
  return path;
}

}  // namespace skaldur::python
