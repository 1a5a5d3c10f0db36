#include "textio/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <streambuf>
#include <vector>

#include "textio/format.hpp"
#include "textio/text.hpp"

namespace skaldur::textio {
namespace {

// A write-only stream buffer over a file descriptor. The file's old content is
// cut away just before the first bytes are written, so that opening a file
// for output never empties it by itself.
class FileOutBuf : public std::streambuf {
 public:
  FileOutBuf(int fd, bool regular) : fd_(fd), regular_(regular), buffer_(1 << 16) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }

  // 0, or the error number of the first failed write.
  int error() const { return error_; }

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
      if (regular_ && (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)) {
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

  int fd_;
  bool regular_;
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
    : console_in_(&console_in), console_out_(&console_out) {}

UnitTable::~UnitTable() {
  for (int unit = 1; unit < static_cast<int>(units_.size()); ++unit)
    close(unit);
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
    error = c->buffer->error();
  }
  if (::close(c->fd) != 0 && error == 0 && c->stream && errno != EINTR) error = errno;
  if (error != 0 && !write_failure_) write_failure_ = WriteFailure{c->name, error};
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
  if (::fstat(fd, &info) == 0) {
    c->regular = S_ISREG(info.st_mode);
    c->identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                               static_cast<std::uint64_t>(info.st_ino)};
  }
  if (writable) {
    c->buffer = std::make_unique<FileOutBuf>(fd, c->regular);
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

int OPNFIL(UnitTable& units, std::string_view name, int unit, int mode) {
  int status_code = units.last_opnfil_status;
  if (mode > 0) status_code = 2;
  if (mode == 0) status_code = 1;
  units.last_opnfil_status = status_code;
  const int error = OPNUNT(units, trimmed(name), unit, status_code, 0, 1, 0, 0, 0, -1);
  return error == 0 ? 0 : -1;
}

}  // namespace skaldur::textio
