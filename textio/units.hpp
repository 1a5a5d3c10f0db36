#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
// when the program first writes to it: naming a file never empties it.
class UnitTable {
 public:
  UnitTable(std::istream& console_in, std::ostream& console_out);
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

  // The first write failure of any file since the start, with the file's name
  // and error number; write failures are never lost, even on closes the
  // program makes implicitly.
  struct WriteFailure {
    std::string name;
    int error = 0;
  };
  [[nodiscard]] const std::optional<WriteFailure>& write_failure() const { return write_failure_; }

  // Connects an already opened descriptor (taking ownership). For OPNUNT.
  void connect(int unit, int fd, std::string_view name, const OpenSettings& settings,
               bool writable);

  // The status code of the previous OPNFIL call.
  int last_opnfil_status = 0;

 private:
  struct Connection;
  std::array<std::unique_ptr<Connection>, 100> units_;
  std::istream* console_in_;
  std::ostream* console_out_;
  std::optional<WriteFailure> write_failure_;
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
// The name is used without its trailing blanks. Returns 0, or -1 on failure.
[[nodiscard]] int OPNFIL(UnitTable& units, std::string_view name, int unit, int mode);

}  // namespace skaldur::textio
