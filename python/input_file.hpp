#pragma once

#include <string>

namespace skaldur::python {

// A regular file open for reading, closed when the object goes. A folder,
// a device or a FIFO is refused (opened without waiting for a writer), with
// EISDIR or EINVAL as the error number.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // The descriptor, or -1 when the file could not be opened (see error()).
  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] int error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace skaldur::python
