#include "files/opening.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ostream>

#include "textio/format.hpp"
#include "textio/text.hpp"

namespace skaldur::files {
namespace {

using textio::format_int;
using textio::trimmed;

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

}  // namespace skaldur::files
