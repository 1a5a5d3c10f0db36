#include "textio/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <ostream>
#include <streambuf>
#include <vector>

#include "textio/format.hpp"
#include "textio/text.hpp"

namespace skaldur::textio {
namespace {

FileIdentity identity_of(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

// Whether the file is the one standard output or standard error writes to:
// the program writes such a file in place, as the console does.
bool is_standard_output(const struct stat& info) {
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat other {};
    if (::fstat(fd, &other) == 0 && identity_of(other) == identity_of(info)) return true;
  }
  return false;
}

// The absolute name of the file at the end of any links, or "".
std::string resolved(std::string_view name) {
  const std::unique_ptr<char, decltype(&std::free)> path(
      ::realpath(std::string(name).c_str(), nullptr), &std::free);
  return path ? std::string(path.get()) : std::string();
}

// A write-only stream buffer over a file descriptor. Nothing happens to the
// file before the first bytes are written, so that opening a file for output
// never empties it by itself. A regular file with a `path` is then written to
// a temporary file beside it, which finish() renames over it; without a path,
// or when no temporary file can be made there, the file's old content is cut
// away and the file written in place.
class FileOutBuf : public std::streambuf {
 public:
  FileOutBuf(int fd, bool regular, std::string path)
      : fd_(fd), target_(fd), regular_(regular), path_(std::move(path)), buffer_(1 << 16) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  ~FileOutBuf() override { discard(); }
  FileOutBuf(const FileOutBuf&) = delete;
  FileOutBuf& operator=(const FileOutBuf&) = delete;

  // 0, or the error number of the first failed write.
  int error() const { return error_; }

  // Writes what is buffered and puts a whole temporary file in place of the
  // file; after a failure the temporary file is removed and the old file
  // stays as it was. Returns 0 or the error number.
  int finish() {
    drain();
    if (temp_fd_ < 0) return error_;
    if (::close(temp_fd_) != 0 && error_ == 0) error_ = errno;
    temp_fd_ = -1;
    if (error_ == 0 && ::rename(temp_path_.c_str(), path_.c_str()) != 0) error_ = errno;
    if (error_ != 0) ::unlink(temp_path_.c_str());
    return error_;
  }

 protected:
  int_type overflow(int_type ch) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(ch);
      pbump(1);
    }
    return traits_type::not_eof(ch);
  }

  int sync() override { return drain() ? 0 : -1; }

 private:
  bool drain() {
    const char* data = pbase();
    std::size_t left = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (error_ != 0) return false;
    if (left == 0) return true;
    if (!started_) {
      started_ = true;
      if (regular_ && !open_temporary() &&
          (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)) {
        error_ = errno;
        return false;
      }
    }
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

  // Makes ".<name>.XXXXXX" in the file's folder with the file's permissions
  // and writes there from now on; false when that cannot be done.
  bool open_temporary() {
    struct stat info {};
    const std::size_t slash = path_.rfind('/');
    if (slash == std::string::npos || ::fstat(target_, &info) != 0) return false;
    std::string temp = path_.substr(0, slash + 1) + "." + path_.substr(slash + 1, 200) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    if (::fchmod(fd, info.st_mode & 07777) != 0) {
      ::close(fd);
      ::unlink(temp.c_str());
      return false;
    }
    temp_fd_ = fd_ = fd;
    temp_path_ = std::move(temp);
    return true;
  }

  // Removes a temporary file that was never finished.
  void discard() {
    if (temp_fd_ < 0) return;
    ::close(temp_fd_);
    ::unlink(temp_path_.c_str());
    temp_fd_ = -1;
  }

  int fd_;      // where the bytes go: the file or its temporary file
  int target_;  // the file
  bool regular_;
  std::string path_;  // the file's absolute name, "" to write in place
  int temp_fd_ = -1;
  std::string temp_path_;
  bool started_ = false;
  int error_ = 0;
  std::vector<char> buffer_;
};

void write_failure_header(std::ostream& out, int unit) {
  out << "\n\n\n *** ERROR DURING OPENING OF FILE UNIT" << format_int(unit, 5) << '\n';
}

// Opens the file for the status; returns the descriptor or minus errno.
int open_file(std::string_view name, std::string_view status, bool& writable) {
  if (status == "SCRATCH") {
    std::string path = "/tmp/skaldur-scratch-XXXXXX";
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return -errno;
    ::unlink(path.c_str());
    writable = true;
    return fd;
  }
  // A name holding a NUL byte would open a different, shorter name.
  if (name.empty() || name.find('\0') != std::string_view::npos) return -ENOENT;
  const std::string path(name);
  int flags = O_CLOEXEC;
  if (status == "OLD    ") {
    flags |= O_RDONLY;
    writable = false;
  } else {
    flags |= O_RDWR | O_CREAT;
    if (status == "NEW    ") flags |= O_EXCL;
    writable = true;
  }
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -errno;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    return -EISDIR;
  }
  return fd;
}

}  // namespace

struct UnitTable::Connection {
  int fd = -1;
  std::string name;
  OpenSettings settings;
  bool regular = false;
  FileIdentity identity;
  std::unique_ptr<FileOutBuf> buffer;
  std::unique_ptr<std::ostream> stream;
};

UnitTable::UnitTable(std::istream& console_in, std::ostream& console_out)
    : console_in_(&console_in), console_out_(&console_out) {
  struct stat info {};
  if (console_in.rdbuf() == std::cin.rdbuf() && ::fstat(STDIN_FILENO, &info) == 0 &&
      S_ISREG(info.st_mode))
    console_input_file_ = identity_of(info);
}

UnitTable::~UnitTable() {
  const bool unwinding = std::uncaught_exceptions() > 0;
  for (int unit = 1; unit < static_cast<int>(units_.size()); ++unit) {
    auto& c = units_[static_cast<std::size_t>(unit)];
    if (!unwinding || !c) {
      close(unit);
    } else {
      ::close(c->fd);
      c.reset();  // removes a temporary file
    }
  }
}

bool UnitTable::is_connected(int unit) const {
  if (unit == kConsoleIn || unit == kConsoleOut) return true;
  return unit > 0 && unit < static_cast<int>(units_.size()) &&
         units_[static_cast<std::size_t>(unit)] != nullptr;
}

std::ostream* UnitTable::output(int unit) {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return nullptr;
  if (const auto& c = units_[static_cast<std::size_t>(unit)]) return c->stream.get();
  return unit == kConsoleOut ? console_out_ : nullptr;
}

std::istream* UnitTable::console_input(int unit) {
  if (unit == kConsoleIn && !units_[static_cast<std::size_t>(kConsoleIn)]) return console_in_;
  return nullptr;
}

int UnitTable::descriptor(int unit) const {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return -1;
  const auto& c = units_[static_cast<std::size_t>(unit)];
  return c ? c->fd : -1;
}

std::optional<FileIdentity> UnitTable::identity(int unit) const {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return std::nullopt;
  const auto& c = units_[static_cast<std::size_t>(unit)];
  if (!c) return std::nullopt;
  return c->identity;
}

std::string_view UnitTable::name(int unit) const {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return {};
  const auto& c = units_[static_cast<std::size_t>(unit)];
  return c ? std::string_view(c->name) : std::string_view();
}

int UnitTable::close(int unit) {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return 0;
  auto& c = units_[static_cast<std::size_t>(unit)];
  if (!c) {
    if (unit == kConsoleOut) console_out_->flush();
    return 0;
  }
  int error = 0;
  if (c->stream) {
    c->stream->flush();
    error = c->buffer->finish();
  }
  if (::close(c->fd) != 0 && error == 0 && c->stream && errno != EINTR) error = errno;
  if (error != 0 && std::none_of(write_failures_.begin(), write_failures_.end(),
                                 [&](const WriteFailure& f) { return f.name == c->name; }))
    write_failures_.push_back(WriteFailure{c->name, error});
  c.reset();
  return -error;
}

void UnitTable::connect(int unit, int fd, std::string_view name, const OpenSettings& settings,
                        bool writable) {
  auto c = std::make_unique<Connection>();
  c->fd = fd;
  c->name.assign(name);
  c->settings = settings;
  struct stat info {};
  std::string path;
  if (::fstat(fd, &info) == 0) {
    c->regular = S_ISREG(info.st_mode);
    c->identity = identity_of(info);
    if (writable && c->regular && !name.empty() && !is_standard_output(info)) path = resolved(name);
  }
  if (writable) {
    c->buffer = std::make_unique<FileOutBuf>(fd, c->regular, std::move(path));
    c->stream = std::make_unique<std::ostream>(c->buffer.get());
  }
  units_[static_cast<std::size_t>(unit)] = std::move(c);
}

int OPNUNT(UnitTable& units, std::string_view name, int unit, int status_code, int access_code,
           int form_code, int blank_code, int record_length, int notice_flag, int message_unit) {
  std::ostream* messages = message_unit > 0 ? units.output(message_unit) : nullptr;
  if (unit < 1 || unit > 99) {
    if (messages) {
      write_failure_header(*messages, unit);
      *messages << "     ILLEGAL FILE UNIT\n";
    }
    return kIllegalUnit;
  }

  OpenSettings settings;
  switch (status_code) {
    case 2: settings.status = "OLD    "; break;
    case 3: settings.status = "NEW    "; break;
    case 4: settings.status = "SCRATCH"; break;
    default: settings.status = "UNKNOWN"; break;
  }
  if (access_code == 20 || access_code == 30) {
    settings.access = "DIRECT    ";
    settings.form = "UNFORMATTED";
  }
  if (form_code == 1) settings.form = "FORMATTED  ";
  if (form_code == 2) settings.form = "UNFORMATTED";
  const bool formatted = settings.form == "FORMATTED  ";

  std::int64_t length = 0;
  if (access_code == 20) {
    if (record_length <= 0) {
      if (messages) {
        write_failure_header(*messages, unit);
        *messages << "     ILLEGAL RECORD LENGTH =" << format_int(record_length, 5) << '\n';
      }
      return kIllegalRecordLength;
    }
    length = formatted ? 4 * static_cast<std::int64_t>(record_length) : record_length;
  } else if (access_code == 30) {
    length = 128;
  }
  if (formatted && blank_code == 1) settings.blank = "ZERO";

  // Opening a connected unit first disconnects the file it held.
  units.close(unit);
  bool writable = false;
  const int fd = open_file(name, settings.status, writable);
  if (fd < 0) {
    if (messages) {
      write_failure_header(*messages, unit);
      *messages << "     ERROR CODE =" << format_int(-fd, 5) << "  (SYSTEM PARAMETER)\n";
    }
    return fd;
  }
  settings.record_length = static_cast<int>(length);
  units.connect(unit, fd, settings.status == "SCRATCH" ? std::string_view() : name, settings,
                writable);

  if (notice_flag > 0 && messages) {
    std::ostream& out = *messages;
    if (settings.status == "SCRATCH") {
      out << "\n\n\n     A SCRATCH FILE IS OPENED ON UNIT NO." << format_int(unit, 4) << '\n';
    } else {
      out << "\n\n\n     FILE  " << name << '\n';
      out << "     IS OPENED ON UNIT NO." << format_int(unit, 4) << '\n';
    }
    out << "     FILE CHARACTERISTICS :\n";
    out << "          STATUS =" << settings.status << '\n';
    out << "          ACCESS =" << settings.access << '\n';
    out << "          FORM   =" << settings.form << '\n';
    out << "          LENGTH =" << format_int(length, 5) << " WORDS/BYTES PER RECORD (SECTOR)\n";
    if (formatted) out << "          BLANK  =" << settings.blank << '\n';
  }
  return 0;
}

int UnitTable::input_conflict(int unit) const {
  const auto opened = identity(unit);
  if (!opened) return 0;
  if (console_input_file_ == opened) return kConsoleInputFile;
  for (int other = 1; other < static_cast<int>(units_.size()); ++other) {
    const auto& c = units_[static_cast<std::size_t>(other)];
    if (other != unit && c && !c->stream && c->identity == *opened) return kReadByRun;
  }
  return 0;
}

std::string describe_open_error(int code) {
  switch (code) {
    case 0: return "no error";
    case kIllegalUnit: return "illegal file unit";
    case kIllegalRecordLength: return "illegal record length";
    case kNameTooLong:
      return "the name is longer than " + std::to_string(kNameLength) + " characters";
    case kReadByRun: return "the run reads it as an input";
    case kConsoleInputFile: return "it is the console input of this run";
    default: return code < 0 ? std::strerror(-code) : "unknown error";
  }
}

int OPNFIL(UnitTable& units, std::string_view name, int unit, int mode) {
  int status_code = units.last_opnfil_status;
  if (mode > 0) status_code = 2;
  if (mode == 0) status_code = 1;
  units.last_opnfil_status = status_code;
  const std::string_view used = trimmed(name);
  int error = 0;
  if (used.size() > kNameLength) {
    // Never cut: the first characters may name another file.
    units.close(unit);
    error = kNameTooLong;
  } else {
    error = OPNUNT(units, used, unit, status_code, 0, 1, 0, 0, 0, -1);
  }
  // A file to write must not be one the run reads: nothing was written yet.
  if (error == 0 && status_code != 2 && (error = units.input_conflict(unit)) != 0)
    units.close(unit);
  units.last_opnfil_error = error;
  return error == 0 ? 0 : -1;
}

}  // namespace skaldur::textio
