#include "python/errors.hpp"

#include <algorithm>
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

// The place "FILE, line N, field 'F': " at the start of a batch message
// (the line and the field each optional, but one of them there) and the
// reason after it; no place when the message starts with none.
struct Place {
  std::string file;
  long long line = 0;
  std::string field;
  std::string reason;
};

Place place_of(const std::string& message) {
  Place out{{}, 0, {}, message};
  const std::size_t line_at = message.find(", line ");
  const std::size_t field_at = message.find(", field '");
  const std::size_t end = std::min(line_at, field_at);
  if (end == std::string::npos) return out;
  std::size_t at = end;
  if (at == line_at) {
    at += 7;
    const std::size_t digits = message.find_first_not_of("0123456789", at);
    if (digits == at || digits == std::string::npos) return out;
    out.line = std::stoll(message.substr(at, digits - at));
    at = digits;
  }
  if (message.compare(at, 9, ", field '") == 0) {
    const std::size_t close = message.find("': ", at + 9);
    if (close == std::string::npos) return out;
    out.field = message.substr(at + 9, close - at - 9);
    at = close + 1;
  }
  if (message.compare(at, 2, ": ") != 0) return {{}, 0, {}, message};
  out.file = message.substr(0, end);
  out.reason = message.substr(at + 2);
  return out;
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

void raise_batch_error(const batch::BatchError& error) {
  py::dict attributes;
  if (error.status != batch::kExitBadInput) {
    attributes["kind"] = py::none();
    raise(assess_error_class, error.message, attributes);
  }
  const Place where = place_of(error.message);
  attributes["path"] = text_of(where.file);
  attributes["line"] = where.line;
  attributes["field"] = text_of(where.field);
  attributes["text"] = "";
  attributes["reason"] = text_of(where.reason);
  raise(input_error_class, error.message, attributes);
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
