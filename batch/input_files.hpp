#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "batch/errors.hpp"
#include "files/unit_table.hpp"

namespace skaldur::batch {

// The most bytes read of a job file or a load-case table, and of a curve file.
inline constexpr std::size_t kMostTableBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMostCurveBytes = std::size_t{1} << 20;

// A regular file open for reading, closed when the object goes.
class InputDescriptor {
 public:
  InputDescriptor(int fd, files::FileIdentity identity) : fd_(fd), identity_(identity) {}
  ~InputDescriptor();
  InputDescriptor(InputDescriptor&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)), identity_(other.identity_) {}
  InputDescriptor& operator=(InputDescriptor&&) = delete;
  InputDescriptor(const InputDescriptor&) = delete;
  InputDescriptor& operator=(const InputDescriptor&) = delete;

  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] const files::FileIdentity& identity() const { return identity_; }

 private:
  int fd_;
  files::FileIdentity identity_;
};

// Opens `path` for reading and refuses (exit 2) what is not a regular file: a
// folder, a device or a FIFO, which is opened without waiting for a writer.
// `what` names the file in messages: "cannot open WHAT: REASON" or "WHAT is
// not a regular file".
[[nodiscard]] Outcome<InputDescriptor> open_input(const std::filesystem::path& path,
                                                  const std::string& what);

// The bytes of the open file from where it stands to its end, refusing (exit
// 2) a file of more than `most` bytes ("WHAT is larger than N MiB") before
// reading it, or as soon as it grows beyond while being read.
[[nodiscard]] Outcome<std::string> read_whole(const InputDescriptor& input, const std::string& what,
                                              std::size_t most);

// A regular file read whole: its identity and its bytes.
struct InputBytes {
  files::FileIdentity identity;
  std::string bytes;
};

// open_input, then read_whole.
[[nodiscard]] Outcome<InputBytes> read_input(const std::filesystem::path& path,
                                             const std::string& what, std::size_t most);

// The identity of the file at `path` after any links, or nothing when there
// is none to be had (a missing file).
[[nodiscard]] std::optional<files::FileIdentity> identity_of(const std::filesystem::path& path);

}  // namespace skaldur::batch
