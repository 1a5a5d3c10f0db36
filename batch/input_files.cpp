#include "batch/input_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace skaldur::batch {
namespace {

files::FileIdentity identity_in(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

textio::Failure<BatchError> too_large(const std::string& what, std::size_t most) {
  return bad_input(what + " is larger than " + std::to_string(most >> 20) + " MiB");
}

}  // namespace

InputDescriptor::~InputDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

Outcome<InputDescriptor> open_input(const std::filesystem::path& path, const std::string& what) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer, perhaps for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return bad_input("cannot open " + what + ": " + std::strerror(errno));
  struct stat info {};
  const bool known = ::fstat(fd, &info) == 0;
  const int error = errno;
  InputDescriptor input(fd, identity_in(info));  // closes the file on every failure below
  if (!known) return bad_input("cannot open " + what + ": " + std::strerror(error));
  if (!S_ISREG(info.st_mode)) return bad_input(what + " is not a regular file");
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
    return bad_input("cannot open " + what + ": " + std::strerror(errno));
  return input;
}

Outcome<std::string> read_whole(const InputDescriptor& input, const std::string& what,
                                std::size_t most) {
  struct stat info {};
  if (::fstat(input.fd(), &info) != 0)
    return bad_input("cannot read " + what + ": " + std::strerror(errno));
  if (info.st_size < 0 || static_cast<std::uintmax_t>(info.st_size) > most)
    return too_large(what, most);
  // One byte more than fstat's size, so that the end is seen in one pass.
  std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t filled = 0;
  while (true) {
    if (filled == bytes.size()) {
      if (filled > most) return too_large(what, most);
      bytes.resize(std::min(2 * filled, most + 1));
    }
    const ssize_t n = ::read(input.fd(), bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return bad_input("cannot read " + what + ": " + std::strerror(errno));
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  return bytes;
}

Outcome<InputBytes> read_input(const std::filesystem::path& path, const std::string& what,
                               std::size_t most) {
  const auto input = open_input(path, what);
  if (!input) return textio::fail(input.error());
  auto bytes = read_whole(*input, what, most);
  if (!bytes) return textio::fail(bytes.error());
  return InputBytes{input->identity(), std::move(bytes).value()};
}

std::optional<files::FileIdentity> identity_of(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return identity_in(info);
}

}  // namespace skaldur::batch
