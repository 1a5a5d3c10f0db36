#include "textio/fingerprint.hpp"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>

namespace skaldur::textio {
namespace {

constexpr std::uint64_t kMul1 = 0x9E3779B185EBCA87u;
constexpr std::uint64_t kMul2 = 0xC2B2AE3D27D4EB4Fu;

constexpr std::uint64_t rotl(std::uint64_t x, int r) {
  return (x << r) | (x >> (64 - r));
}

// The 8 bytes at `p` as a little-endian word, whatever the machine's order.
std::uint64_t word_at(const unsigned char* p) {
  std::uint64_t w = 0;
  std::memcpy(&w, p, sizeof w);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

constexpr std::uint64_t mix(std::uint64_t lane, std::uint64_t word) {
  return rotl(lane + word * kMul2, 31) * kMul1;
}

// Spreads every input bit over the whole value.
constexpr std::uint64_t avalanche(std::uint64_t h) {
  h ^= h >> 33;
  h *= kMul2;
  h ^= h >> 29;
  h *= kMul1;
  h ^= h >> 32;
  return h;
}

}  // namespace

void Fingerprint::step(const unsigned char* block) {
  for (std::size_t lane = 0; lane < lanes_.size(); ++lane)
    lanes_[lane] = mix(lanes_[lane], word_at(block + 8 * lane));
}

void Fingerprint::add(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  size_ += left;
  if (n_pending_ > 0) {
    const std::size_t take = std::min(left, pending_.size() - n_pending_);
    std::memcpy(pending_.data() + n_pending_, p, take);
    n_pending_ += take;
    p += take;
    left -= take;
    if (n_pending_ < pending_.size()) return;
    step(pending_.data());
    n_pending_ = 0;
  }
  for (; left >= pending_.size(); p += pending_.size(), left -= pending_.size())
    step(p);
  std::memcpy(pending_.data(), p, left);
  n_pending_ = left;
}

std::uint64_t Fingerprint::value() const {
  std::uint64_t h =
      rotl(lanes_[0], 1) + rotl(lanes_[1], 7) + rotl(lanes_[2], 12) + rotl(lanes_[3], 18);
  std::array<unsigned char, 40> tail{};  // the pending bytes, zero-padded to whole words
  std::memcpy(tail.data(), pending_.data(), n_pending_);
  for (std::size_t at = 0; at < n_pending_; at += 8)
    h = mix(h, word_at(tail.data() + at));
  return avalanche(h ^ size_);
}

std::string Fingerprint::hex() const {
  return fingerprint_hex(value());
}

std::string fingerprint_hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (std::size_t i = 16; i-- > 0; value >>= 4)
    text[i] = kDigits[value & 15u];
  return text;
}

std::uint64_t fingerprint_of(std::string_view bytes) {
  Fingerprint f;
  f.add(bytes);
  return f.value();
}

int add_rest_of_file(int fd, Fingerprint& fingerprint) {
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBlock);
  while (true) {
    const ssize_t n = ::read(fd, buffer.get(), kBlock);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    fingerprint.add(std::string_view(buffer.get(), static_cast<std::size_t>(n)));
  }
}

}  // namespace skaldur::textio
