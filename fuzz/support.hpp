#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Every fuzz target defines this; libFuzzer's main or replay_main.cpp calls it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace skaldur::fuzz {

// Stops the process when an invariant does not hold, so that both libFuzzer
// and the corpus replay report the input as a finding.
inline void check(bool holds, std::string_view what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

// The bytes of an input as text.
inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// An anonymous in-memory file holding the given bytes, positioned at its
// start, for the readers that take a file descriptor. Closed on destruction.
class MemoryFile {
 public:
  explicit MemoryFile(std::string_view bytes) : fd_(::memfd_create("skaldur-fuzz", MFD_CLOEXEC)) {
    check(fd_ >= 0, "memfd_create failed");
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      check(n > 0, "writing the in-memory file failed");
      done += static_cast<std::size_t>(n);
    }
    check(::lseek(fd_, 0, SEEK_SET) == 0, "rewinding the in-memory file failed");
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace skaldur::fuzz
