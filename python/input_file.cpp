#include "python/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace skaldur::python {

InputFile::InputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) {
    error_ = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error_ = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  } else {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) error_ = errno;
  }
  if (error_ == 0) {
    fd_ = fd;
  } else if (fd >= 0) {
    ::close(fd);
  }
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace skaldur::python
