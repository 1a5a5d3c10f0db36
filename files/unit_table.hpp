#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skaldur::files {

// The unit numbers of the program's files.
inline constexpr int kConsoleIn = 5;
inline constexpr int kConsoleOut = 6;
inline constexpr int kPrintUnit = 20;
inline constexpr int kSeriesUnit = 21;
inline constexpr int kCurveUnit = 22;
inline constexpr int kOutputSlot = 23;

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
// when the program first writes to it: naming a file never empties it. It is
// written through a WholeFileBuf (whole_file.hpp): a regular file is replaced
// whole when it is closed without a write failure, and stays as it was after
// a failure or when the process is killed.
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

}  // namespace skaldur::files
