#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace skaldur::textio {

// A fast 64-bit fingerprint of a stream of bytes, fed in pieces as they are
// read: the value depends only on the bytes and their order, never on how
// they were split into pieces. Meant to tell two files apart (a shard's
// inputs against another's), not to resist a deliberate collision. Four
// independent lanes take 32 bytes a step, so that feeding costs a small
// fraction of reading the bytes.
class Fingerprint {
 public:
  void add(std::string_view bytes);

  // The fingerprint of every byte added so far; adding more afterwards goes
  // on from where it stood.
  [[nodiscard]] std::uint64_t value() const;

  // value() as fingerprint_hex shows it.
  [[nodiscard]] std::string hex() const;

  // The number of bytes added.
  [[nodiscard]] std::uint64_t size() const { return size_; }

 private:
  void step(const unsigned char* block);

  std::array<std::uint64_t, 4> lanes_ = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu,
                                         0x165667B19E3779F9u, 0x27D4EB2F165667C5u};
  std::array<unsigned char, 32> pending_{};
  std::size_t n_pending_ = 0;
  std::uint64_t size_ = 0;
};

// A fingerprint as 16 lower-case hexadecimal digits.
[[nodiscard]] std::string fingerprint_hex(std::uint64_t value);

// The fingerprint of one whole text.
[[nodiscard]] std::uint64_t fingerprint_of(std::string_view bytes);

// Reads the file `fd` from where it stands to its end, adding every byte to
// `fingerprint`. Returns 0, or the error number of a failed read.
[[nodiscard]] int add_rest_of_file(int fd, Fingerprint& fingerprint);

}  // namespace skaldur::textio
