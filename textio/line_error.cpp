#include "textio/line_error.hpp"

#include <cstring>

#include "textio/text.hpp"

namespace skaldur::textio {

std::string describe(const LineError& error, std::string_view file) {
  std::string message(file);
  if (error.line > 0) message += ", line " + std::to_string(error.line);
  message += ": " + error.what;
  if (!error.text.empty()) message += ": '" + printable(error.text) + "'";
  return message;
}

std::string cannot_read(int error_number) {
  return std::string("the file cannot be read: ") + std::strerror(error_number);
}

}  // namespace skaldur::textio
