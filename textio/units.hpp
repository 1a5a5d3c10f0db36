#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skaldur::textio {

// The unit numbers of the program's files.
inline constexpr int kConsoleIn = 5;
inline constexpr int kConsoleOut = 6;
inline constexpr int kPrintUnit = 20;
inline constexpr int kSeriesUnit = 21;
inline constexpr int kCurveUnit = 22;
inline constexpr int kOutputSlot = 23;

// Error codes of OPNUNT besides 0 and minus the system's error number.
inline constexpr int kIllegalUnit = -901;
inline constexpr int kIllegalRecordLength = -902;

// File names hold this many characters, trailing blanks not counted.
inline constexpr std::size_t kNameLength = 256;

// Why OPNFIL refused a file it could have opened: the name is longer than
// kNameLength (cut, it could name another file), or the file is an input of
// the run (a file connected for reading, or the console input's file).
inline constexpr int kNameTooLong = -903;
inline constexpr int kReadByRun = -904;
inline constexpr int kConsoleInputFile = -905;

// A short phrase for an OPNUNT or OPNFIL error code; the system's text for
// minus an error number.
[[nodiscard]] std::string describe_open_error(int code);

// Identifies a file on disk: two names for the same file compare equal.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The settings of one connection, as the open notice prints them.
struct OpenSettings {
  std::string_view status = "UNKNOWN";
  std::string_view access = "SEQUENTIAL";
  std::string_view form = "FORMATTED  ";
  std::string_view blank = "NULL";
  int record_length = 0;
};

// The files the program has connected, known by unit numbers 1 to 99. Units 5
// and 6 start connected to the console. A file unit is read through its file
// descriptor and written through a buffered stream.
//
// An output file is created when missing, but its old content is replaced only
// when the program first writes to it: naming a file never empties it. A
// regular output file is written to a temporary file in its folder (after
// following links), with the old file's permissions, and renamed over the
// old file when it is closed without a write failure; until then the old
// file is whole, even when the process is killed. A failure removes the
// temporary file. Devices, FIFOs, the files of standard output and error,
// and files whose folder takes no new file are written in place.
//
// When unit 5 is the process's standard input (std::cin) and that is a
// regular file, the file is an input of the run like any file read.
class UnitTable {
 public:
  UnitTable(std::istream& console_in, std::ostream& console_out);
  // Closes every unit; when an exception tears the table down, the files
  // being written are thrown away instead and the old ones stay as they were.
  ~UnitTable();
  UnitTable(const UnitTable&) = delete;
  UnitTable& operator=(const UnitTable&) = delete;

  [[nodiscard]] bool is_connected(int unit) const;
  // The stream that writes to the unit: the console for unit 6, a file opened
  // for writing, or nullptr.
  [[nodiscard]] std::ostream* output(int unit);
  // The console stream of unit 5, or nullptr.
  [[nodiscard]] std::istream* console_input(int unit);
  // The file descriptor of a connected file, -1 for the console or no file.
  [[nodiscard]] int descriptor(int unit) const;
  [[nodiscard]] std::optional<FileIdentity> identity(int unit) const;
  [[nodiscard]] std::string_view name(int unit) const;

  // Flushes and disconnects the unit; closing a unit that is not connected
  // does nothing. Returns 0, or minus the error number of a failed write.
  int close(int unit);

  // The files whose writing failed since the start, each named once, in the
  // order they were closed, with the first error number; write failures are
  // never lost, even on closes the program makes implicitly.
  struct WriteFailure {
    std::string name;
    int error = 0;
  };
  [[nodiscard]] const std::vector<WriteFailure>& write_failures() const { return write_failures_; }

  // 0, or kReadByRun or kConsoleInputFile when the file connected on `unit`
  // is also read by the run.
  [[nodiscard]] int input_conflict(int unit) const;

  // Connects an already opened descriptor (taking ownership). For OPNUNT.
  void connect(int unit, int fd, std::string_view name, const OpenSettings& settings,
               bool writable);

  // The status code of the previous OPNFIL call, and its error code: 0, an
  // OPNUNT code, kNameTooLong, kReadByRun or kConsoleInputFile.
  int last_opnfil_status = 0;
  int last_opnfil_error = 0;

 private:
  struct Connection;
  std::array<std::unique_ptr<Connection>, 100> units_;
  std::istream* console_in_;
  std::ostream* console_out_;
  std::optional<FileIdentity> console_input_file_;
  std::vector<WriteFailure> write_failures_;
};

// Connects a file to a unit. `status_code` 2 opens an existing file, 3 creates
// a new one, 4 a nameless scratch file, anything else opens or creates.
// `access_code` 20 (direct, record length from `record_length` words), 30
// (direct, 128) or sequential; `form_code` 1 formatted, 2 unformatted;
// `blank_code` 1 reads blanks in numbers as zeros. With `notice_flag` > 0 a
// successful open is described on `message_unit`, and failures are reported
// there whenever `message_unit` > 0. Returns 0, kIllegalUnit,
// kIllegalRecordLength or minus the system's error number.
[[nodiscard]] int OPNUNT(UnitTable& units, std::string_view name, int unit, int status_code,
                         int access_code, int form_code, int blank_code, int record_length,
                         int notice_flag, int message_unit);

// Opens a formatted sequential file without any message: `mode` > 0 an
// existing file, 0 an existing or new file, < 0 as the previous call did.
// The name is used without its trailing blanks. A name longer than
// kNameLength is refused, and so is a file to write that the run reads.
// Returns 0, or -1 on failure (the reason in `units.last_opnfil_error`).
[[nodiscard]] int OPNFIL(UnitTable& units, std::string_view name, int unit, int mode);

}  // namespace skaldur::textio
