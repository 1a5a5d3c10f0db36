#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

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

// Everything up to the next form feed (or the end), which is consumed: how
// the targets that read several files split their input.
inline std::string_view take_part(std::string_view& input) {
  const auto end = input.find('\f');
  const std::string_view part = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return part;
}

// Writes `bytes` as the whole content of a new file.
inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  check(static_cast<bool>(out), "cannot write an input file");
}

// A fresh folder that is the working folder while it lives; removed with
// everything in it on destruction.
class WorkFolder {
 public:
  WorkFolder() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "skaldur-fuzz-XXXXXX").string();
    check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp failed");
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~WorkFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  std::filesystem::path file(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace skaldur::fuzz
