#include "files/whole_file.hpp"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace skaldur::files {
namespace {

// Whether the file is the one standard output or standard error writes to:
// such a file is written in place, as the console is.
bool is_standard_output(const struct stat& info) {
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat other {};
    if (::fstat(fd, &other) == 0 && other.st_dev == info.st_dev && other.st_ino == info.st_ino)
      return true;
  }
  return false;
}

// The absolute name of the file at the end of any links, or "".
std::string resolved(std::string_view name) {
  const std::unique_ptr<char, decltype(&std::free)> path(
      ::realpath(std::string(name).c_str(), nullptr), &std::free);
  return path ? std::string(path.get()) : std::string();
}

// Six letters and digits: random, and different on every call of a process.
std::string random_suffix() {
  static constexpr std::string_view kSymbols =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<std::uint64_t> calls{0};
  std::uint64_t bits = (static_cast<std::uint64_t>(::getpid()) << 24) + calls.fetch_add(1);
  std::uint64_t noise = 0;
  if (::getrandom(&noise, sizeof noise, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof noise))
    bits ^= noise;
  std::string suffix;
  for (int i = 0; i < 6; ++i, bits /= kSymbols.size())
    suffix += kSymbols[bits % kSymbols.size()];
  return suffix;
}

// Creates ".NAME.XXXXXX" (NAME cut at 200 bytes) beside `path`, never over
// an existing file, with mode 0666 less the umask. Returns the descriptor,
// or -1 with errno set.
int create_temporary(const std::string& path, std::string& temp) {
  const std::size_t slash = path.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path.substr(0, base) + "." + path.substr(base, 200) + "." + random_suffix();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

WholeFileBuf::WholeFileBuf(int fd, std::string_view name) : fd_(fd), target_(fd), buffer_(1 << 16) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (fd < 0) {
    path_ = name;
    return;
  }
  struct stat info {};
  regular_ = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (regular_ && !name.empty() && !is_standard_output(info)) path_ = resolved(name);
}

WholeFileBuf::~WholeFileBuf() {
  if (temp_fd_ < 0) return;
  ::close(temp_fd_);
  ::unlink(temp_path_.c_str());
}

void WholeFileBuf::begin() {
  if (!started_) start();
}

int WholeFileBuf::finish() {
  drain();
  if (temp_fd_ < 0) return error_;
  if (::close(temp_fd_) != 0 && error_ == 0) error_ = errno;
  temp_fd_ = -1;
  if (error_ == 0 && ::rename(temp_path_.c_str(), path_.c_str()) != 0) error_ = errno;
  if (error_ != 0) ::unlink(temp_path_.c_str());
  return error_;
}

WholeFileBuf::int_type WholeFileBuf::overflow(int_type ch) {
  if (!drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(ch, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
  }
  return traits_type::not_eof(ch);
}

int WholeFileBuf::sync() {
  return drain() ? 0 : -1;
}

bool WholeFileBuf::drain() {
  const char* data = pbase();
  std::size_t left = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (error_ != 0) return false;
  if (left == 0) return true;
  if (!started_ && !start()) return false;
  while (left > 0) {
    const ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// Chooses where the new content goes: a temporary file, else the file itself
// cut to nothing; a file that does not exist yet has no such fallback.
bool WholeFileBuf::start() {
  started_ = true;
  if (!regular_) return true;
  const int made = path_.empty() ? ENOENT : open_temporary();
  if (made == 0) return true;
  if (target_ < 0) {
    error_ = made;
  } else if (::ftruncate(target_, 0) != 0 || ::lseek(target_, 0, SEEK_SET) != 0) {
    error_ = errno;
  }
  return error_ == 0;
}

// Makes the temporary file, with the old file's permissions, and writes
// there from now on. Returns 0 or the error number.
int WholeFileBuf::open_temporary() {
  struct stat info {};
  if (target_ >= 0 && ::fstat(target_, &info) != 0) return errno;
  const int fd = create_temporary(path_, temp_path_);
  if (fd < 0) return errno;
  if (target_ >= 0 && ::fchmod(fd, info.st_mode & 07777) != 0) {
    const int error = errno;
    ::close(fd);
    ::unlink(temp_path_.c_str());
    return error;
  }
  temp_fd_ = fd_ = fd;
  return 0;
}

int write_whole(const std::string& path, std::string_view text) {
  // A name holding a NUL byte would name a different, shorter file.
  if (path.find('\0') != std::string::npos) return EINVAL;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0 && errno != ENOENT) return errno;
  int error = 0;
  {
    WholeFileBuf buffer(fd, path);
    buffer.begin();
    buffer.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    error = buffer.finish();
  }
  if (fd >= 0 && ::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return error;
}

}  // namespace skaldur::files
