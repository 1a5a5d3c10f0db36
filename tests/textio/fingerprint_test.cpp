#include "textio/fingerprint.hpp"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace skaldur::textio {
namespace {

// However a text is cut into pieces, its fingerprint is the same; a text
// that differs in one byte, or only in its length, gets another.
TEST(Fingerprint, SameForEverySplitDifferentForEveryChange) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    std::string text(rng() % 200, '\0');
    for (char& c : text)
      c = static_cast<char>(rng());
    const std::uint64_t whole = fingerprint_of(text);
    Fingerprint pieces;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t n = std::min<std::size_t>(rng() % 40, text.size() - at);
      pieces.add(std::string_view(text).substr(at, n));
      at += n;
    }
    ASSERT_EQ(pieces.value(), whole) << round;
    std::set<std::uint64_t> seen = {whole, fingerprint_of(text + '\0')};
    for (std::size_t i = 0; i < text.size(); ++i) {
      std::string changed = text;
      changed[i] = static_cast<char>(changed[i] ^ (1 << (rng() % 8)));
      seen.insert(fingerprint_of(changed));
    }
    EXPECT_EQ(seen.size(), text.size() + 2) << round;
  }
}

}  // namespace
}  // namespace skaldur::textio
