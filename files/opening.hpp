#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/unit_table.hpp"

namespace skaldur::files {

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

}  // namespace skaldur::files
